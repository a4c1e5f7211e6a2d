"""What the workflow ran with and how each run went, in results/pipeline_info/:

settings.tsv  setting, value: every workflow setting, and every query key
              at the value the programs are given (the configured one, else
              the front ends' default; empty: left out of the queries)
versions.tsv  program, version, path, sha256: every tool's and both
              programs' own --version and the SHA-256 of the file that ran;
              Snakemake's and Python's versions
runs.tsv      run, program, start, end, seconds, CPU seconds, peak memory kB,
              outcome, exit status: one row per run, its program's wall
              time, processor time (user and system) and largest resident
              size as the operating system counted them; a run the workflow
              stopped before is "not run", one it left out before any job
              (failed.tsv says why) "left out"

Each run's job leaves quarrow-extract's record of it, runs/RUN/run.tsv
(read_record); the rows are gathered with the other results, also when
some runs failed.
"""

import datetime
import hashlib
import os
import re
import subprocess

import merge_logs
import quarrow_runs

FOLDER = "pipeline_info"
RECORD = "run.tsv"
RUN_COLUMNS = ("run", "program", "start", "end", "seconds", "CPU seconds", "peak memory kB", "outcome", "exit status")


def _field(value):
    """One TSV field: a list or a value with tabs or line feeds stays one field."""
    if isinstance(value, (list, tuple)):
        value = ",".join(str(item) for item in value)
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def _table(columns, rows):
    return "".join("\t".join(_field(value) for value in row) + "\n" for row in [columns, *rows])


def settings_text(config, keys, resolved):
    """`resolved` {setting: value}: the paths as the workflow took them."""
    rows = [(name, resolved.get(name, config.get(name, ""))) for name in quarrow_runs.WORKFLOW_SETTINGS]
    rows += [(name, quarrow_runs.parameter(config, keys, name))
             for name, key in keys.items() if not key.per_run() and (not key.unused or name in config)]
    return _table(("setting", "value"), [(name, "" if value is None else value) for name, value in rows])


def tool_version(path):
    """The first line the tool prints for --version; what went wrong, else."""
    try:
        done = subprocess.run([path, "--version"], capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as error:
        return f"unknown ({error})"
    lines = done.stdout.strip().split("\n")
    return lines[0] if done.returncode == 0 and lines[0] else f"unknown (--version ended with status {done.returncode})"


def sha256(path):
    digest = hashlib.sha256()
    try:
        with open(path, "rb") as stream:
            for block in iter(lambda: stream.read(1 << 20), b""):
                digest.update(block)
    except OSError as error:
        return f"unknown ({error.strerror})"
    return "sha256:" + digest.hexdigest()


def versions_text(tools, programs, others):
    """tools and programs {name: path} answer --version and are
    fingerprinted; others [(name, version)] are taken as given."""
    rows = [(name, tool_version(path), path, sha256(path)) for name, path in {**tools, **programs}.items()]
    rows += [(name, version, "", "") for name, version in others]
    return _table(("program", "version", "path", "sha256"), rows)


def read_record(path):
    """{field: value} of quarrow-extract's record of a run, or None when
    there is none."""
    if not os.path.isfile(path):
        return None
    lines = merge_logs.read_text(path).rstrip("\n").split("\n")
    escapes = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}

    def value(text):
        return re.sub(r"\\(.)", lambda match: escapes.get(match.group(1), match.group(0)), text)

    cells = (line.split("\t") for line in lines[1:])
    return {value(row[0]): value(row[1]) for row in cells if len(row) >= 2}


def run_row(run, program, record):
    """The runs.tsv row of a run from its record (None: not run). A signal
    counts as exit status 128 + its number, as a shell says it."""
    if record is None:
        return (run, program, "", "", "", "", "", "not run", "")
    start, end = record.get("start", ""), record.get("end", "")
    # Records from before the figures were kept say only start and end.
    seconds = record.get("wall seconds")
    if seconds is None:
        try:
            seconds = f"{(datetime.datetime.fromisoformat(end) - datetime.datetime.fromisoformat(start)).total_seconds():.1f}"
        except ValueError:
            seconds = ""
    signal = record.get("signal", "")
    status = str(128 + int(signal)) if signal else record.get("exit status", "")
    outcome = "done" if record.get("outcome") == "ok" else "failed"
    return (run, record.get("program", program), start, end, seconds, record.get("CPU seconds", ""),
            record.get("peak memory kB", ""), outcome, status)


def runs_text(results, runs, left_out=()):
    """runs.tsv of `runs` [(run, program)]: each run's own record, else a
    row saying that it was not run; then a row for each run `left_out`
    [(data, reason, run, program)]."""
    rows = [run_row(run, program, read_record(os.path.join(results, "runs", run, RECORD))) for run, program in runs]
    rows += [(run, program, "", "", "", "", "", "left out", "") for _, _, run, program in left_out]
    return _table(RUN_COLUMNS, rows)


def write(results, name, text):
    folder = os.path.join(results, FOLDER)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    merge_logs.write_text(path, text)
    return path
