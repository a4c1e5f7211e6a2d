"""The runs of a folder and the query each program is started with.

Used by the Snakefile; kept apart so that the tests can call it directly.
"""

import collections
import csv
import os
import re
import subprocess

# The workflow's own settings in config.yaml; every other key there is a
# query key of the programs.
WORKFLOW_SETTINGS = ("runs", "results", "yepharvest", "wiffharvest", "report", "keys", "catalog", "parameters",
                     "mem_mb", "runtime", "extract", "samplesheet")


class QueryKey:
    """One row of the programs' key table, as quarrow-keys --tsv lists it."""

    def __init__(self, row):
        self.name = row["key"]
        self.programs = row["programs"]
        self.front_end_default = row["front_end_default"]
        self.unused = row["unused"] == "1"
        self.role = row["role"]
        self.folder = row["folder"]

    def per_run(self):
        """The workflow sets the run's data file and folders itself."""
        return self.role in ("run data", "folder")

    def read_by(self, program):
        return self.programs in ("both", program)


class ConfigError(Exception):
    pass


def read_query_keys(tool):
    """{key: QueryKey} in the table's order, from the programs' own key table."""
    try:
        listing = subprocess.run([tool, "--tsv"], capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        raise ConfigError(f"cannot list the query keys with {tool}: {error}")
    lines = listing.rstrip("\n").split("\n")
    columns = lines[0].split("\t")
    rows = (QueryKey(dict(zip(columns, line.split("\t")))) for line in lines[1:])
    return {key.name: key for key in rows}


def check_config(config, keys):
    """Refuses settings that are neither the workflow's nor query keys, so
    that a misspelt key is not silently left out of every query."""
    unknown = sorted(name for name in config if name not in WORKFLOW_SETTINGS and name not in keys)
    if unknown:
        raise ConfigError("unknown settings: " + ", ".join(unknown) + "; neither a workflow setting nor a query key "
                          "(build/tools/quarrow-keys --tsv lists the keys)")
    per_run = sorted(name for name in config if name in keys and keys[name].per_run())
    if per_run:
        raise ConfigError("the workflow sets " + ", ".join(per_run) + " for each run itself")


def parameter(config, keys, name):
    """A query key's value for every run: the configured one, else the front ends' default."""
    value = config.get(name)
    return keys[name].front_end_default if value is None else value


class RunFolderError(Exception):
    pass


# A run the workflow leaves out before any job: its data file, why, and its
# name and program as the catalogue gives them.
LeftOut = collections.namedtuple("LeftOut", "data reason run program")


ESCAPED = re.compile(r"\\(?:x([0-9a-f]{2})|(.))")
UNESCAPED = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def _field(text):
    """A field of quarrow-runs --tsv as the file system names it."""
    return ESCAPED.sub(lambda m: chr(int(m.group(1), 16)) if m.group(1) else UNESCAPED[m.group(2)], text)


def wildcard_problem(name):
    """Why Snakemake cannot take this run name as a wildcard's value, or None."""
    if "{" in name or "}" in name:
        return "its name holds { or }, which Snakemake reads as a wildcard"
    return None


def find_runs(tool, folder):
    """({run name: (program, data file)}, [LeftOut]): the runs
    that `tool` (quarrow-runs) finds in `folder`, and those the workflow
    leaves out before any job starts so that the others go on: runs sharing
    a name, names that cannot be a folder under results/runs/ or split rows,
    and names Snakemake cannot take."""
    try:
        done = subprocess.run([tool, "--tsv", folder], capture_output=True, check=False)
    except OSError as error:
        raise RunFolderError(f"cannot list the runs with {tool}: {error.strerror}")
    if done.returncode != 0:
        said = done.stderr.decode("utf-8", "replace").strip()
        raise RunFolderError(said or f"cannot list the runs with {tool}: it ended with status {done.returncode}")
    lines = done.stdout.decode("utf-8", "surrogateescape").rstrip("\n").split("\n")
    columns = lines[0].split("\t")
    runs = {}
    refused = []
    for line in lines[1:]:
        row = {column: _field(value) for column, value in zip(columns, line.split("\t"))}
        data = os.path.join(folder, row["path"])
        problem = row["problem"] or wildcard_problem(row["run"])
        if problem:
            refused.append(LeftOut(data, problem, row["run"], row["program"]))
        else:
            runs[row["run"]] = (row["program"], data)
    return runs, refused


def job_name(run):
    """A cluster job's name for a run: quarrow.RUN, with nothing a shell would read."""
    return "quarrow." + re.sub(r"[^A-Za-z0-9._+-]", "_", run)


def extract_options(config, keys, program):
    """quarrow-extract's options for a run of `program`: each key the
    program reads whose configured value differs from the front ends'
    default, which quarrow-extract fills in itself. Keys no stage reads are
    not offered by it, and left out."""
    options = []
    for key in keys.values():
        if key.per_run() or key.unused or not key.read_by(program):
            continue
        value = parameter(config, keys, key.name)
        if isinstance(value, (list, tuple)):
            value = "\n".join(str(item) for item in value)
        value = "" if value is None else str(value)
        if value != key.front_end_default:
            options.append(f"--{key.name}={value}")
    return options


def check_options(tool, config, keys, runs, results):
    """Refuses the settings before any job, in the words of every front end:
    each program's options are checked by `tool` (quarrow-extract --check,
    which runs nothing) with the first of its runs."""
    programs = {}
    for run in sorted(runs):
        programs.setdefault(runs[run][0], runs[run][1])
    for program, data in sorted(programs.items()):
        command = [tool, data, "--out", results, "--check", *extract_options(config, keys, program)]
        try:
            done = subprocess.run(command, capture_output=True, check=False)
        except OSError as error:
            raise ConfigError(f"cannot check the settings with {tool}: {error.strerror}")
        if done.returncode != 0:
            said = done.stderr.decode("utf-8", "replace").strip().split("\n")[0]
            said = said.removeprefix(os.path.basename(tool) + ": ")
            raise ConfigError(f"the settings for {program} are refused, so no run was started: {said}"
                              if said else f"{tool} --check ended with status {done.returncode}")


class SamplesheetError(Exception):
    pass


# A row of the samplesheet as the workflow runs it: the run's name, its
# program and data file (as quarrow-extract --check names them), and the
# keys its cells set, {key: value}, empty cells left out.
SheetRun = collections.namedtuple("SheetRun", "name program data keys")


def read_samplesheet(path):
    """[(row number, {column: cell})] of a samplesheet: tab-separated, or
    comma-separated (with the quoting of spreadsheets) when its name ends in
    .csv; a header with the columns sample and path, then any key; blank
    lines skipped."""
    try:
        with open(path, newline="", encoding="utf-8") as stream:
            lines = list(csv.reader(stream, delimiter="," if path.lower().endswith(".csv") else "\t"))
    except (OSError, UnicodeDecodeError, csv.Error) as error:
        raise SamplesheetError(f"cannot read the samplesheet {path}: {error}")
    numbered = [(number, cells) for number, cells in enumerate(lines, 1) if any(cell.strip() for cell in cells)]
    if not numbered:
        raise SamplesheetError(f"the samplesheet {path} is empty: expected a header line sample, path, then keys")
    header = [cell.strip() for cell in numbered[0][1]]
    if header[:2] != ["sample", "path"]:
        raise SamplesheetError(f"the samplesheet {path} starts with the columns {', '.join(header[:2])}: "
                               "expected sample, path, then any key as a column")
    twice = sorted({column for column in header if header.count(column) > 1})
    if twice:
        raise SamplesheetError(f"the samplesheet {path} has the column {', '.join(twice)} more than once")
    rows = []
    for number, cells in numbered[1:]:
        if len(cells) != len(header):
            raise SamplesheetError(f"the samplesheet {path}, line {number}: {len(cells)} cells under a header of "
                                   f"{len(header)} columns")
        rows.append((number, dict(zip(header, (cell.strip() for cell in cells)))))
    if not rows:
        raise SamplesheetError(f"the samplesheet {path} names no run: one row per run under its header")
    return rows


def sheet_runs(path, keys, extract, check_options):
    """{sample: SheetRun} of the samplesheet at `path`, every row checked
    before any job by `extract` (quarrow-extract --check) with its keys as
    its command line would give them, so that a cell is refused in the
    command line's words. A path is taken from the samplesheet's folder; an
    empty sample is the run's own name. `check_options` are quarrow-extract's
    options for where its tools are and --out."""
    base = os.path.dirname(os.path.abspath(path))
    runs = {}
    for number, row in read_samplesheet(path):
        where = f"the samplesheet {path}, line {number}"
        if not row["path"]:
            raise SamplesheetError(f"{where}: no path")
        data = os.path.normpath(os.path.join(base, row["path"]))
        # Every column but the first two, also an empty one, when it is no
        # query key: the command line refuses it by name.
        cells = {column: value for column, value in row.items() if column not in ("sample", "path")}
        given = [f"--{column}={value}" for column, value in cells.items() if value or column not in keys]
        try:
            done = subprocess.run([extract, data, "--check", *given, *check_options], capture_output=True, check=False)
        except OSError as error:
            raise SamplesheetError(f"cannot check the samplesheet with {extract}: {error.strerror}")
        said = done.stderr.decode("utf-8", "replace").strip()
        if done.returncode != 0:
            raise SamplesheetError(f"{where}: {said.removeprefix('quarrow-extract: ') or done.returncode}")
        lines = done.stdout.decode("utf-8", "surrogateescape").rstrip("\n").split("\n")[1:]
        if len(lines) != 1:
            raise SamplesheetError(f"{where}: {row['path']} names {len(lines)} runs; a row names one run")
        name, program, data = (_field(field) for field in lines[0].split("\t"))
        sample = row["sample"] or name
        if sample != name:
            raise SamplesheetError(f"{where}: the sample {sample} is the run {name}: the program names a run's peak "
                                   f"lists after its data file, so its sample is {name} (or empty)")
        problem = wildcard_problem(sample)
        if sample in runs:
            problem = f"a second row of the run {sample} (each run goes into its own folder)"
        if problem:
            raise SamplesheetError(f"{where}: the run {sample}: {problem}")
        runs[sample] = SheetRun(sample, program, data, {key: value for key, value in cells.items() if value})
    return runs
