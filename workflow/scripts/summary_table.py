"""summary.tsv: one row per LC run, that is per run of yepharvest and per
sample of a .wiff file.

Columns:
  run                the workflow's run (the run folder, export or .wiff file)
  sample             the sample's index in its .wiff file (1 for yepharvest)
  sample_name        SampleName (yepharvest) or sampleName (wiffharvest) of runStats.txt
  output_name        the name its peak lists and MGF file start with: RUN, RUN_2, ...
  program
  spectra_read       numMSMSscansCollected of its statistics block
  merged             numMSMSmergedParentScans
  written            numOutputFiles
  peak_lists         its .pkl files
  mgf_files, mgf_spectra   its MGF file (0 or 1) and the spectra in it
  rejected           its rows in xtractorRejectReasons.txt, and by reason:
  rejected_scan-range, rejected_merged, rejected_parent-range,
  rejected_too-few-peaks, rejected_sequence-tag, rejected_other
  charge_1 ...       numUniqueChargeSpectra of each charge
  charge_undetermined  numAmbiguousChargeSpectra of all charges
  instrument_charged, charges_written, charges_agreeing
                     from the run report's charges.tsv: of the written
                     spectra, those whose export carries the instrument's
                     charge, those of them the MGF states a charge for, and
                     those of them that agree with it (empty without the table)
  stated_open, stated_1 ...  from the same table: the written spectra whose
                     MGF block states no charge (the search engine tries
                     them), and those it states each charge for

The reject rows of wiffharvest do not name the sample. Its samples are
written one after the other, and each rejected spectrum of a sample leaves
exactly one row with the whole scan range (the default), so a sample's rows
are the next (spectra_read - written) rows; when the rows do not add up that
way (a scan range also rejects survey scans), the reject columns of the
file's samples are left empty.
"""

import os
import re

REJECT_KINDS = ("scan-range", "merged", "parent-range", "too-few-peaks", "sequence-tag", "other")


def first_columns(formats):
    """The columns before the charges: a files column for each format that
    makes one file per run (or sample), from the programs' format table
    (quarrow_runs.read_peak_list_formats)."""
    return (("run", "sample", "sample_name", "output_name", "program", "spectra_read", "merged", "written",
             "peak_lists") + tuple(f"{f['name']}_files" for f in formats if f["span"] == "run") +
            ("mgf_spectra", "rejected") + tuple(f"rejected_{k}" for k in REJECT_KINDS))


AT_CHARGE = re.compile(r"^[1-9]\+: ")
FURTHEST = ("parent-range", "too-few-peaks", "sequence-tag")


def reject_kind(reason):
    """The reject reason kinds of the run report (tools/report/reject_log.cpp);
    a spectrum judged at several charges ("1+: ...; 2+: ...") under the test
    it came furthest in."""
    if AT_CHARGE.match(reason):
        kinds = [reject_kind(AT_CHARGE.sub("", part)) for part in reason.split("; ")]
        if not all(AT_CHARGE.match(part) for part in reason.split("; ")) or any(k not in FURTHEST for k in kinds):
            return "other"
        return max(kinds, key=FURTHEST.index)
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


def samples_of_statistics(text):
    """[(sample index, sample name, {counter: value})] of runStats.txt.

    yepharvest writes FileName, SampleName and AnalysisDateTime lines and its
    counters; wiffharvest lists its samples ("sampleName: X<tab>sampleIndex: s")
    and then repeats each sample's line before that sample's counters."""
    samples = {}
    current = None
    name = ""
    for line in text.split("\n"):
        key, tab, value = line.partition("\t")
        if not tab:
            continue
        if key.startswith("sampleName: ") and value.startswith("sampleIndex: "):
            index = int(value[len("sampleIndex: "):])
            current = samples.setdefault(index, (index, key[len("sampleName: "):], {}))
        elif key == "SampleName":
            name = value
        elif value.lstrip("-").isdigit():
            if current is None:
                current = samples.setdefault(1, (1, name, {}))
            current[2][key] = current[2].get(key, 0) + int(value)
    return [samples[index] for index in sorted(samples) if samples[index][2]]


def split_rejects(reasons, counters):
    """The reject reasons of each sample, in file order, or None when the
    rows cannot be told apart (see above)."""
    if len(counters) == 1:
        return [reasons]
    slices = []
    start = 0
    for own in counters:
        end = start + own.get("numMSMSscansCollected", 0) - own.get("numOutputFiles", 0)
        part = reasons[start:end]
        if sum(reject_kind(reason) == "merged" for reason in part) != own.get("numMSMSmergedParentScans", 0):
            return None
        slices.append(part)
        start = end
    return slices if start == len(reasons) else None


def output_name(run, sample):
    return run if sample == 1 else f"{run}_{sample}"


def peak_list_files(peaklists, name, formats):
    """The files columns of one sample: peak_lists (its files of one
    spectrum each), NAME_files (0 or 1) for each format of one file per
    sample, and mgf_spectra, the spectra its MGF file holds."""
    entries = os.listdir(peaklists)
    columns = {"peak_lists": 0, "mgf_spectra": 0}
    for f in formats:
        if f["span"] == "run":
            columns[f"{f['name']}_files"] = int(name + f["ending"] in entries)
        else:
            columns["peak_lists"] += sum(1 for e in entries if e.startswith(name + ".") and e.endswith(f["ending"]))
    mgf = os.path.join(peaklists, name + ".mgf")
    if os.path.isfile(mgf):
        with open(mgf, "rb") as stream:
            columns["mgf_spectra"] = sum(1 for line in stream if line.rstrip(b"\r\n") == b"BEGIN IONS")
    return columns


def sample_rows(run, program, statistics, reject_rows, peaklists, formats):
    """The rows of one run's samples (dicts; charges under "charges")."""
    samples = samples_of_statistics(statistics)
    reasons = [fields[2] if len(fields) >= 3 else "" for fields in (row.split("\t") for row in reject_rows)]
    by_sample = split_rejects(reasons, [counters for _, _, counters in samples])
    rows = []
    for position, (index, sample_name, counters) in enumerate(samples):
        name = output_name(run, index)
        row = {"run": run, "sample": index, "sample_name": sample_name, "output_name": name, "program": program,
               "spectra_read": counters.get("numMSMSscansCollected", 0),
               "merged": counters.get("numMSMSmergedParentScans", 0), "written": counters.get("numOutputFiles", 0),
               **peak_list_files(peaklists, name, formats),
               "charges": {int(key.split(" ")[1]): value for key, value in counters.items()
                           if key.startswith("numUniqueChargeSpectra ") and key.split(" ")[1] != "0"},
               "charge_undetermined": sum(value for key, value in counters.items()
                                          if key.startswith("numAmbiguousChargeSpectra "))}
        own = by_sample[position] if by_sample is not None else None
        row["rejected"] = "" if own is None else len(own)
        for kind in REJECT_KINDS:
            row[f"rejected_{kind}"] = "" if own is None else sum(reject_kind(reason) == kind for reason in own)
        rows.append(row)
    return rows


CHECK_COLUMNS = (("instrument_charged", "instrument_charged"), ("charges_written", "charged"),
                 ("charges_agreeing", "agreeing"))


def add_charge_checks(rows, run, path):
    """The columns of the run's charges.tsv (written by quarrow-report
    --charges, one row per sample) into its rows; empty where it is missing."""
    by_sample = {}
    if os.path.isfile(path):
        with open(path) as stream:
            lines = stream.read().rstrip("\n").split("\n")
        columns = lines[0].split("\t")
        for line in lines[1:]:
            values = dict(zip(columns, line.split("\t")))
            by_sample[int(values["sample"])] = values
    for row in rows:
        if row["run"] != run:
            continue
        own = by_sample.get(row["sample"], {})
        for column, source in CHECK_COLUMNS:
            row[column] = int(own[source]) if source in own else ""
        if "open" in own:
            row["stated"] = {int(key[len("stated_"):]): int(value) for key, value in own.items()
                             if key.startswith("stated_")}
            row["stated"][0] = int(own["open"])


def charge_columns(rows):
    highest = max([0] + [charge for row in rows for charge in row["charges"]])
    stated = []
    if any("stated" in row for row in rows):
        top = max([3] + [charge for row in rows for charge in row.get("stated", {})])
        stated = ["stated_open"] + [f"stated_{c}" for c in range(1, top + 1)]
    return ([f"charge_{c}" for c in range(1, highest + 1)] + ["charge_undetermined"] + [c for c, _ in CHECK_COLUMNS]
            + stated)


def table_text(rows, formats):
    columns = list(first_columns(formats)) + charge_columns(rows)
    lines = ["\t".join(columns)]
    for row in rows:
        values = dict({c: "" for c, _ in CHECK_COLUMNS}, **row, **{f"charge_{c}": row["charges"].get(c, 0)
                                                                   for c in range(1, 10)})
        stated = row.get("stated")
        values["stated_open"] = "" if stated is None else stated.get(0, 0)
        values.update({f"stated_{c}": "" if stated is None else stated.get(c, 0) for c in range(1, 10)})
        # A sample's name comes from its export and may hold anything.
        lines.append("\t".join(re.sub(r"[\t\n\r]", " ", str(values[column])) for column in columns))
    return "\n".join(lines) + "\n"
