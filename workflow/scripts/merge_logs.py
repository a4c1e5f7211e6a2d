#!/usr/bin/env python3
"""Joins the logs of single runs into one set and writes the summary table.

    merge_logs.py --results DIR --features NAME --output-logs DIR --summary FILE
                  RUN:PROGRAM [RUN:PROGRAM ...]

Each run's logs are in DIR/runs/RUN/logs/ and its peak lists in
DIR/runs/RUN/peaklists/. The merged logs are what the runs would have left in
one log folder had they run one after the other, in the order given: each
file's header once, then every run's rows. A spectrum-features file holds one
header, so when the runs of both programs are merged (their features columns
differ) each program gets its own file, yepharvest-NAME and wiffharvest-NAME.

The summary has one row per run; its columns:
  run, program
  samples            statistics blocks in runStats.txt (a .wiff file's samples)
  spectra_read       numMSMSscansCollected, summed over the samples
  merged             numMSMSmergedParentScans, summed
  written            numOutputFiles, summed
  peak_lists         .pkl files in the run's peak-list folder
  rejected           rows in xtractorRejectReasons.txt, and by reason:
  rejected_scan-range, rejected_merged, rejected_parent-range,
  rejected_too-few-peaks, rejected_sequence-tag, rejected_other
  charge_1 ...       numUniqueChargeSpectra of each charge, summed
  charge_undetermined  numAmbiguousChargeSpectra of all charges, summed
"""

import argparse
import os
import sys

TAB_LOGS = ("parentChargeCheck.txt", "xtractorRejectReasons.txt")
REJECT_KINDS = ("scan-range", "merged", "parent-range", "too-few-peaks", "sequence-tag", "other")


class MergeError(Exception):
    pass


def read_text(path):
    try:
        with open(path, "r", encoding="utf-8", errors="surrogateescape", newline="") as stream:
            return stream.read()
    except OSError as error:
        raise MergeError(f"cannot read {path}: {error.strerror}") from error


def write_text(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8", errors="surrogateescape", newline="") as stream:
        stream.write(text)
    os.replace(temporary, path)


def split_header(text):
    """(header, rows): the header ends without a line feed, every row starts with one."""
    end = text.find("\n")
    return (text, "") if end < 0 else (text[:end], text[end:])


def rows_of(text):
    return split_header(text)[1].split("\n")[1:]


def merge_tab_log(name, texts):
    """One header, then the rows of each text in order. Every text must have the same header."""
    header = None
    rows = []
    for run, text in texts:
        own, rest = split_header(text)
        if header is None:
            header = own
        elif own != header:
            raise MergeError(f"{name} of run {run} has the header {own!r}, not {header!r}")
        rows.append(rest)
    return (header or "") + "".join(rows)


def reject_kind(reason):
    """The reject reason kinds of the run report (tools/report/reject_log.cpp)."""
    if reason.startswith("scan #: "):
        return "scan-range"
    if reason.startswith("parent: ") and " merged with scan " in reason:
        return "merged"
    if " outside range " in reason:
        return "parent-range"
    if reason == "< 4 peaks after picking":
        return "too-few-peaks"
    if reason.startswith("maxSequenceTagLength: "):
        return "sequence-tag"
    return "other"


def statistics_of(text):
    """Counters of runStats.txt summed over its statistics blocks."""
    totals = {"samples": 0, "spectra_read": 0, "merged": 0, "written": 0, "unique": {}, "ambiguous": 0}
    names = {"numMSMSscansCollected": "spectra_read", "numMSMSmergedParentScans": "merged",
             "numOutputFiles": "written"}
    for line in text.split("\n"):
        key, tab, value = line.partition("\t")
        if not tab:
            continue
        try:
            number = int(value)
        except ValueError:
            continue
        if key == "numMSMSscansCollected":
            totals["samples"] += 1
        if key in names:
            totals[names[key]] += number
        elif key.startswith("numUniqueChargeSpectra "):
            charge = int(key.split(" ")[1])
            totals["unique"][charge] = totals["unique"].get(charge, 0) + number
        elif key.startswith("numAmbiguousChargeSpectra "):
            totals["ambiguous"] += number
    return totals


def summary_rows(runs, results):
    rows = []
    highest = 0
    for run, program in runs:
        logs = os.path.join(results, "runs", run, "logs")
        peaklists = os.path.join(results, "runs", run, "peaklists")
        statistics = statistics_of(read_text(os.path.join(logs, "runStats.txt")))
        rejects = [row.split("\t") for row in rows_of(read_text(os.path.join(logs, "xtractorRejectReasons.txt")))]
        by_kind = dict.fromkeys(REJECT_KINDS, 0)
        for fields in rejects:
            by_kind[reject_kind(fields[2] if len(fields) >= 3 else "")] += 1
        charges = {c: n for c, n in statistics["unique"].items() if c >= 1}
        highest = max([highest] + list(charges))
        rows.append({
            "run": run, "program": program, "samples": statistics["samples"],
            "spectra_read": statistics["spectra_read"], "merged": statistics["merged"],
            "written": statistics["written"],
            "peak_lists": sum(1 for name in os.listdir(peaklists) if name.endswith(".pkl")),
            "rejected": len(rejects), **{"rejected_" + kind: by_kind[kind] for kind in REJECT_KINDS},
            "charges": charges, "charge_undetermined": statistics["ambiguous"],
        })
    columns = (["run", "program", "samples", "spectra_read", "merged", "written", "peak_lists", "rejected"]
               + ["rejected_" + kind for kind in REJECT_KINDS]
               + [f"charge_{c}" for c in range(1, highest + 1)] + ["charge_undetermined"])
    lines = ["\t".join(columns)]
    for row in rows:
        for c in range(1, highest + 1):
            row[f"charge_{c}"] = row["charges"].get(c, 0)
        lines.append("\t".join(str(row[column]) for column in columns))
    return "\n".join(lines) + "\n"


def merge(results, features, output_logs, summary, runs):
    os.makedirs(output_logs, exist_ok=True)
    texts = {}
    for run, _ in runs:
        logs = os.path.join(results, "runs", run, "logs")
        texts[run] = {name: read_text(os.path.join(logs, name))
                      for name in TAB_LOGS + (features, "runStats.txt")}
    for name in TAB_LOGS:
        write_text(os.path.join(output_logs, name), merge_tab_log(name, [(run, texts[run][name]) for run, _ in runs]))
    programs = sorted({program for _, program in runs})
    for program in programs:
        name = features if len(programs) == 1 else f"{program}-{features}"
        chosen = [(run, texts[run][features]) for run, own in runs if own == program]
        write_text(os.path.join(output_logs, name), merge_tab_log(features, chosen))
    write_text(os.path.join(output_logs, "runStats.txt"), "".join(texts[run]["runStats.txt"] for run, _ in runs))
    write_text(summary, summary_rows(runs, results))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--results", required=True)
    parser.add_argument("--features", required=True)
    parser.add_argument("--output-logs", required=True)
    parser.add_argument("--summary", required=True)
    parser.add_argument("runs", nargs="+", metavar="RUN:PROGRAM")
    arguments = parser.parse_args(argv)
    runs = [tuple(item.rsplit(":", 1)) for item in arguments.runs]
    try:
        merge(arguments.results, arguments.features, arguments.output_logs, arguments.summary, runs)
    except MergeError as error:
        print(f"merge_logs.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
