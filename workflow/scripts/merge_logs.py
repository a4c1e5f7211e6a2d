"""The logs of single runs joined into one set.

The merged logs are what the runs would have left in one log folder had they
run one after the other, in the order given: each file's header once, then
every run's rows. A spectrum-features file holds one header, so when runs of
both programs are merged (their features columns differ) each program gets
its own file, yepharvest-NAME and wiffharvest-NAME. The statistics blocks
name what the program read (an export's run id, ru_0 for all of OpenMS's),
so each run's blocks follow a line "run<TAB>RUN" with the workflow's name
of the run.
"""

import os

TAB_LOGS = ("parentChargeCheck.txt", "xtractorRejectReasons.txt")
STATISTICS = "runStats.txt"


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


def merged_names(features, programs):
    """The merged logs' file names for runs of these programs."""
    programs = sorted(set(programs))
    return list(TAB_LOGS) + [STATISTICS] + (
        [features] if len(programs) == 1 else [f"{program}-{features}" for program in programs])


def read_run_logs(logs, features):
    """{file name: text} of the four logs in one run's log folder."""
    return {name: read_text(os.path.join(logs, name)) for name in TAB_LOGS + (features, STATISTICS)}


def merge(runs, texts, features, programs, output_logs):
    """Writes the merged logs of `runs` [(run, program)] from `texts` {run:
    read_run_logs(...)} into `output_logs`, one features file per program of
    `programs` (a program without runs here gets an empty one)."""
    os.makedirs(output_logs, exist_ok=True)
    for name in TAB_LOGS:
        write_text(os.path.join(output_logs, name), merge_tab_log(name, [(run, texts[run][name]) for run, _ in runs]))
    for program in sorted(set(programs)):
        name = features if len(set(programs)) == 1 else f"{program}-{features}"
        chosen = [(run, texts[run][features]) for run, own in runs if own == program]
        write_text(os.path.join(output_logs, name), merge_tab_log(features, chosen))
    write_text(os.path.join(output_logs, STATISTICS), "".join(statistics_of(run, texts[run][STATISTICS])
                                                              for run, _ in runs))


def statistics_of(run, text):
    """One run's statistics blocks in the merged runStats.txt."""
    return f"run\t{run}\n{text}"
