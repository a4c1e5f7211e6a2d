#!/usr/bin/env python3
"""What spans the runs of the workflow, written when all runs succeeded and
again, for the runs that did, when some failed:

    gather_results.py --results DIR --features NAME --keys TOOL [--left-out JSON] RUN:PROGRAM [RUN:PROGRAM ...]

TOOL is quarrow-keys, which lists the peak-list formats the summary counts.

results/logs/       the merged logs of the runs that succeeded (merge_logs.py)
results/summary.tsv one row per LC run that succeeded (summary_table.py)
results/failed.tsv  one row per run that failed, was not run, was left out
                    before any job, or has no report: run, program, error,
                    log (the page or log that tells more, relative to the
                    results folder)
results/index.html  the overview page (overview_page.py)
results/pipeline_info/runs.tsv  each run's start, end and outcome (pipeline_info.py)

--left-out holds the runs the workflow left out, a JSON list of [data file,
reason, run, program]: they have no job, and are named in all but the logs.

A run succeeded when its job wrote runs/RUN/done; how a failed run ended
is in quarrow-extract's record of it, runs/RUN/run.tsv, and what it printed
in runs/RUN/progress.txt.
"""

import argparse
import json
import os
import sys

import merge_logs
import overview_page
import pipeline_info
import quarrow_runs
import summary_table

FAILED_COLUMNS = ("run", "program", "error", "log")


PROGRESS = "progress.txt"


def record_error(record):
    """Why a run failed, from quarrow-extract's record of it (None: it left
    none, having refused the run or been stopped before)."""
    if record is None:
        return "quarrow-extract left no record of the run: it refused it or was stopped first (see its progress)"
    if record.get("error"):
        return record["error"]
    signal = record.get("signal", "")
    if signal in ("9", "15"):
        return "stopped before it printed an error (by a limit of the cluster, or cancelled)"
    if signal:
        return "crashed before it printed an error"
    return "no error message: see its progress"


def run_outcome(results, run, program):
    """{"status": "done" | "failed" | "not run", "error": text, "log": path
    relative to the results folder, "report": path or "", "peak_lists": the
    paths of its peak-list files, by name} of one run."""
    folder = os.path.join("runs", run)
    outcome = {"run": run, "program": program, "status": "done", "error": "", "log": os.path.join(folder, PROGRESS),
               "report": os.path.join(folder, "report.html"), "peak_lists": []}
    if not os.path.isfile(os.path.join(results, outcome["report"])):
        outcome["report"] = ""
    if os.path.isfile(os.path.join(results, folder, "done")):
        peak_lists = os.path.join(folder, "peaklists")
        if os.path.isdir(os.path.join(results, peak_lists)):
            outcome["peak_lists"] = [os.path.join(peak_lists, name)
                                     for name in sorted(os.listdir(os.path.join(results, peak_lists)))]
        return outcome
    outcome["report"] = ""
    if not os.path.isfile(os.path.join(results, outcome["log"])):
        return dict(outcome, status="not run", log="", error="not run: the workflow stopped before this run")
    record = pipeline_info.read_record(os.path.join(results, folder, pipeline_info.RECORD))
    return dict(outcome, status="failed", error=record_error(record))


def left_out_outcome(left_out):
    """The outcome of a run left out before any job (quarrow_runs.LeftOut)."""
    data, reason, run, program = left_out
    return {"run": run, "program": program, "status": "left out", "report": "", "log": "", "peak_lists": [],
            "error": f"left out before any job: {reason} ({data})"}


def report_failure(results, outcome):
    """The failed.tsv row of a run that succeeded but has no report: the
    report's own words; else, when it never started (the workflow stopped
    first), that it was not run."""
    log = os.path.join("runs", outcome["run"], "report.log")
    path = os.path.join(results, log)
    if not os.path.isfile(path):
        return {"run": outcome["run"], "program": "quarrow-report", "log": "",
                "error": "not run: the workflow stopped before this run's report"}
    said = merge_logs.read_text(path).strip()
    return {"run": outcome["run"], "program": "quarrow-report", "log": log if said else "",
            "error": said.split("\n")[0] if said else "the report was not made (see Snakemake's log)"}


def failed_text(rows):
    lines = ["\t".join(FAILED_COLUMNS)]
    for row in rows:
        lines.append("\t".join(" ".join(str(row[column]).split()) for column in FAILED_COLUMNS))
    return "\n".join(lines) + "\n"


def gather(results, runs, features, formats, left_out=()):
    """Writes the four results above for `runs` [(run, program)] and the
    runs `left_out` [quarrow_runs.LeftOut], counting the peak lists of
    `formats` (quarrow_runs.read_peak_list_formats); returns the paths
    written."""
    outcomes = [run_outcome(results, run, program) for run, program in runs]
    outcomes += [left_out_outcome(entry) for entry in left_out]
    done = [(o["run"], o["program"]) for o in outcomes if o["status"] == "done"]
    texts = {run: merge_logs.read_run_logs(os.path.join(results, "runs", run, "logs"), features) for run, _ in done}
    logs = os.path.join(results, "logs")
    merge_logs.merge(done, texts, features, [program for _, program in runs], logs)

    rows = []
    for run, program in done:
        rows += summary_table.sample_rows(run, program, texts[run][merge_logs.STATISTICS],
                                          merge_logs.rows_of(texts[run]["xtractorRejectReasons.txt"]),
                                          os.path.join(results, "runs", run, "peaklists"), formats)
        summary_table.add_charge_checks(rows, run, os.path.join(results, "runs", run, "charges.tsv"))
    failures = [o for o in outcomes if o["status"] != "done"]
    failures += [report_failure(results, o) for o in outcomes if o["status"] == "done" and not o["report"]]
    written = {os.path.join(results, "summary.tsv"): summary_table.table_text(rows, formats),
               os.path.join(results, "failed.tsv"): failed_text(failures),
               os.path.join(results, "index.html"): overview_page.page(rows, outcomes)}
    for path, text in written.items():
        merge_logs.write_text(path, text)
    written[pipeline_info.write(results, "runs.tsv", pipeline_info.runs_text(results, runs, left_out))] = ""
    return [os.path.join(logs, name) for name in merge_logs.merged_names(features, [p for _, p in runs])] + list(written)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--results", required=True)
    parser.add_argument("--features", required=True)
    parser.add_argument("--keys", required=True)
    parser.add_argument("--left-out", default="[]")
    parser.add_argument("runs", nargs="+", metavar="RUN:PROGRAM")
    arguments = parser.parse_args(argv)
    try:
        gather(arguments.results, [tuple(item.rsplit(":", 1)) for item in arguments.runs], arguments.features,
               quarrow_runs.read_peak_list_formats(arguments.keys),
               [tuple(entry) for entry in json.loads(arguments.left_out)])
    except (merge_logs.MergeError, quarrow_runs.ConfigError) as error:
        print(f"gather_results.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
