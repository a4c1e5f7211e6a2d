"""The runs of a folder and the query each program is started with.

Used by the Snakefile; kept apart so that the tests can call it directly.
"""

import gzip
import os
import re
import subprocess
import urllib.parse

# The endings of the open-format exports both programs read.
EXPORT = re.compile(r"^(?P<base>.+)\.(?:mzml|mzxml)(?:\.gz)?$", re.IGNORECASE)
# A WIFF native spectrum id, kept by the converter in the exports of a .wiff file.
WIFF_NATIVE_ID = re.compile(rb"sample=\d+ period=\d+ cycle=\d+ experiment=\d+")
SAMPLE_NAME = re.compile(rb'<sample\b[^>]*\bname="([^"]*)"')

# The workflow's own settings in config.yaml; every other key there is a
# query key of the programs.
WORKFLOW_SETTINGS = ("runs", "results", "yepharvest", "wiffharvest", "report", "keys", "parameters", "mem_mb",
                     "runtime", "extract")


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


def _head(path, size=262144):
    opener = gzip.open if path.lower().endswith(".gz") else open
    try:
        with opener(path, "rb") as stream:
            return stream.read(size)
    except (OSError, EOFError):
        return b""


def _sciex_run_of_export(path, base):
    """The .wiff run an export belongs to, or None when it is no Sciex export.

    A Sciex export keeps WIFF native ids; the converter names a single
    sample's export RUN.mzML and the others RUN-<sample name>.mzML.
    """
    head = _head(path)
    if not WIFF_NATIVE_ID.search(head):
        return None
    sample = SAMPLE_NAME.search(head)
    if sample:
        suffix = "-" + sample.group(1).decode("utf-8", "replace")
        if base.endswith(suffix) and len(base) > len(suffix):
            return base[: -len(suffix)]
    return base


def find_runs(folder, refused=None):
    """{run name: (program, data file)} for the runs in `folder`.

    Two runs of one name are an error; given a list `refused`, both are
    left out instead, each as (data file, why not) in it.

    - `X.d` folders (holding Analysis.mzML or Analysis.mzXML, either maybe
      gzip-compressed): yepharvest run X, data file X.d/Analysis.yep;
    - `X.wiff` paths: wiffharvest run X. The .wiff file need not be there:
      exports with WIFF native ids (X.mzML, or X-<sample>.mzML for several
      samples) stand for it;
    - any other export `X.mzML`, `X.mzXML` (or .gz): yepharvest run X, the
      export itself as data file.
    """
    if not os.path.isdir(folder):
        raise RunFolderError(f"the runs folder {folder} does not exist")
    runs = {}
    shared = {}  # name: the data files of the runs that share it

    def add(name, program, data):
        if name in runs and runs[name] != (program, data):
            if refused is None:
                raise RunFolderError(
                    f"two runs named {name} in {folder}: {runs[name][1]} and {data}; "
                    "the run name prefixes every peak list and log row, so it must be unique")
            shared.setdefault(name, {runs[name][1]}).add(data)
            return
        runs[name] = (program, data)

    entries = sorted(os.listdir(folder))
    wiff_runs = []
    for entry in entries:
        path = os.path.join(folder, entry)
        if entry.endswith(".d") and os.path.isdir(path):
            add(entry[:-2], "yepharvest", os.path.join(path, "Analysis.yep"))
        elif entry.lower().endswith(".wiff") and not os.path.isdir(path):
            add(entry[:-5], "wiffharvest", path)
            wiff_runs.append(entry[:-5])
    for entry in entries:
        path = os.path.join(folder, entry)
        match = EXPORT.match(entry)
        if not match or not os.path.isfile(path):
            continue
        base = match.group("base")
        # wiffharvest reads every export named RUN or RUN-<sample> beside RUN.wiff.
        if any(base == run or base.startswith(run + "-") for run in wiff_runs):
            continue
        sciex_run = _sciex_run_of_export(path, base)
        if sciex_run is not None:
            add(sciex_run, "wiffharvest", os.path.join(folder, sciex_run + ".wiff"))
        else:
            add(base, "yepharvest", path)
    for name, files in sorted(shared.items()):
        del runs[name]
        refused.extend((data, f"another run of {folder} is named {name} too, and the run name prefixes every peak "
                              "list and log row") for data in sorted(files))
    return runs


def name_problem(name):
    """Why the workflow cannot run a run of this name, or None when it can.

    The name is a folder under results/runs/, a Snakemake wildcard's value,
    and the first field of rows in the logs and tables; quotes, blanks, a
    leading "-" and any other letters are fine."""
    if name in ("", ".", ".."):
        return "its name cannot be a folder of its own under results/runs/"
    if any(ord(c) < 32 or ord(c) == 127 for c in name):
        return "its name holds a line break, a tab or another control character, which would split its rows"
    if "{" in name or "}" in name:
        return "its name holds { or }, which Snakemake reads as a wildcard"
    try:
        name.encode("utf-8")
    except UnicodeEncodeError:
        return "its name is not UTF-8 text"
    return None


def usable_runs(runs):
    """The runs of find_runs the workflow can run, and [(data file, why
    not)] for the others, so that each is left out before any job starts
    and the others go on."""
    usable = {}
    refused = []
    for name, (program, data) in runs.items():
        problem = name_problem(name)
        if problem is None:
            usable[name] = (program, data)
        else:
            refused.append((data, problem))
    return usable, refused


def job_name(run):
    """A cluster job's name for a run: quarrow.RUN, with nothing a shell would read."""
    return "quarrow." + re.sub(r"[^A-Za-z0-9._+-]", "_", run)


def query_text(config, keys, program, data_file, peaklists, logs):
    """The CGI query of one run: the run's own keys, then every key the
    program reads, at its configured value or the front ends' default, and
    a key no stage reads only when configured. An empty value is the same as
    an absent key."""
    folders = {"peaklists": peaklists, "logs": logs}
    pairs = [(key.name, data_file if key.role == "run data" else folders[key.folder])
             for key in keys.values() if key.per_run()]
    for key in keys.values():
        if key.per_run() or not key.read_by(program) or (key.unused and key.name not in config):
            continue
        value = parameter(config, keys, key.name)
        if value is None or value == "":
            continue
        if isinstance(value, (list, tuple)):
            value = "\n".join(str(item) for item in value)
        pairs.append((key.name, str(value)))
    return "&".join(key + "=" + urllib.parse.quote(value, safe="/") for key, value in pairs)
