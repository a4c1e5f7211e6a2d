#!/usr/bin/env python3
"""The Snakemake workflow (workflow/) on generated runs.

    workflow_test.py Workflow      on two cores, against the programs run one at a time
    workflow_test.py SlurmCluster  through a one-node SLURM cluster (workflow/one-node-slurm.sh),
                                   against the same on two cores
    workflow_test.py DemoTargets   README's workflow command as printed, in a checkout whose
                                   build folder holds only what ./setup.sh demo builds

Run by CTest in the plain build; QUARROW_SOURCE_DIR and QUARROW_BUILD_DIR
name the repository and the build folder. Needs Debian's snakemake, and for
SlurmCluster slurmctld, slurmd, slurm-client and munge, and root (or sudo
without a password).
"""

import datetime
import hashlib
import html
import os
import pwd
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.environ.get("QUARROW_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("QUARROW_BUILD_DIR", os.path.join(SOURCE, "build"))
SNAKEFILE = os.path.join(SOURCE, "workflow", "Snakefile")
PROFILES = os.path.join(SOURCE, "workflow", "profiles")
SCRIPTS = os.path.join(SOURCE, "workflow", "scripts")
RUNGEN = os.path.join(BUILD, "tools", "quarrow-rungen")
EXTRACT = os.path.join(BUILD, "tools", "quarrow-extract")
CATALOG = os.path.join(BUILD, "tools", "quarrow-runs")
KEYS = os.path.join(BUILD, "tools", "quarrow-keys")
PROGRAMS = {"yepharvest": os.path.join(BUILD, "yepharvest", "yepharvest"),
            "wiffharvest": os.path.join(BUILD, "wiffharvest", "wiffharvest")}
# Every tool the workflow runs, by its setting: the configuration's defaults
# name the checkout's build/, which this build need not be.
TOOLS = {**PROGRAMS, "report": os.path.join(BUILD, "tools", "quarrow-report"), "keys": KEYS, "catalog": CATALOG,
         "extract": EXTRACT}
BAD = "bad<&"  # a run name that must be escaped wherever it is shown

sys.path.insert(0, SCRIPTS)
import gather_results  # noqa: E402
import pipeline_info  # noqa: E402
import quarrow_runs  # noqa: E402
import summary_table  # noqa: E402


def read(path):
    with open(path, "rb") as stream:
        return stream.read().decode("utf-8", "surrogateescape")


def folder(path):
    return {name: read(os.path.join(path, name)) for name in sorted(os.listdir(path))}


def tree(root):
    """{relative path: text} of every file below root."""
    return {os.path.relpath(os.path.join(base, name), root): read(os.path.join(base, name))
            for base, _, names in os.walk(root) for name in names}


def table(path):
    lines = read(path).rstrip("\n").split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[1:]]


def generate(*arguments):
    subprocess.run([RUNGEN, *arguments], check=True, stdout=subprocess.DEVNULL)


def rows_after_header(text):
    end = text.find("\n")
    return [] if end < 0 else text[end + 1:].split("\n")


def snakemake(work, results, runs, *arguments, environment=None, config=()):
    command = ["snakemake", "-s", SNAKEFILE, *arguments, "--config", f"runs={runs}", f"results={results}",
               *(f"{setting}={path}" for setting, path in TOOLS.items()), "peakListFormat=both", *config]
    return subprocess.run(command, cwd=work, env=environment, text=True, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)


def run_alone(program, data, where):
    """One run started as a web server starts it, with the workflow's defaults."""
    logs, peaklists = os.path.join(where, "logs"), os.path.join(where, "peaklists")
    os.makedirs(logs)
    os.makedirs(peaklists)
    os.symlink(os.path.join(SOURCE, "msparams_quarrow"), os.path.join(where, "msparams_quarrow"))
    query = (f"xtractorDataFilename={data}&resultsXtractorDir={peaklists}/&logFileDir={logs}/"
             "&specFeaturesFilename=specFeatures.txt&lastScan=999999999&autoCharge=Find&peakListFormat=both")
    subprocess.run([PROGRAMS[program]], cwd=where, env={"QUERY_STRING": query}, check=True, stdout=subprocess.DEVNULL)
    return {"logs": folder(logs), "peaklists": folder(peaklists)}


def make_runs(work, spectra):
    """runs/: y1.d (a run folder), y2.mzML.gz (a gzip export), both with
    OpenMS's run id ru_0, and w1 (two QSTAR samples of a .wiff file that is
    not there); runs-with-failure/: the same and a copy of y1.d whose export
    is cut in half."""
    runs = os.path.join(work, "runs")
    os.makedirs(runs)
    common = ["--spectra", str(spectra)]
    generate("--folder", "--output", os.path.join(runs, "y1.d"), "--seed", "1", "--truth", os.path.join(work, "y1"),
             "--run-id", "ru_0", *common)
    generate("--gzip", "--output", os.path.join(runs, "y2.mzML"), "--seed", "2", "--truth", os.path.join(work, "y2"),
             "--run-id", "ru_0", *common)
    generate("--sciex", "qstar", "--samples", "2", "--seed", "3", "--output", os.path.join(runs, "w1.wiff"),
             "--truth", os.path.join(work, "w1"), *common)
    with_failure = os.path.join(work, "runs-with-failure")
    shutil.copytree(runs, with_failure)
    export = os.path.join(with_failure, BAD + ".d", "Analysis.mzML")
    shutil.copytree(os.path.join(runs, "y1.d"), os.path.dirname(export))
    content = read(export)
    with open(export, "w") as stream:
        stream.write(content[: len(content) // 2])
    return runs, with_failure


EXPECTED_RUNS = {"y1": ("yepharvest", "y1.d/Analysis.yep"), "y2": ("yepharvest", "y2.mzML.gz"),
                 "w1": ("wiffharvest", "w1.wiff")}


class Workflow(unittest.TestCase):
    """The workflow on two cores over the generated runs, with and without
    the broken one, against each run and each sample run alone."""

    @classmethod
    def setUpClass(cls):
        if shutil.which("snakemake") is None:
            raise RuntimeError("snakemake is not installed (Debian's snakemake; ./setup.sh test installs it)")
        cls.work = tempfile.mkdtemp(prefix="quarrow-workflow-")
        cls.runs, cls.with_failure = make_runs(cls.work, 300)
        cls.single = {run: run_alone(program, os.path.join(cls.runs, data), os.path.join(cls.work, "single", run))
                      for run, (program, data) in EXPECTED_RUNS.items()}
        # Each sample of w1 as the only sample of a .wiff file: what its row in the summary must say.
        cls.sample_alone = {}
        for sample in (1, 2):
            where = os.path.join(cls.work, f"sample-{sample}")
            os.makedirs(where)
            shutil.copy(os.path.join(cls.runs, f"w1-Sample{sample}.mzML"), os.path.join(where, "w1.mzML"))
            cls.sample_alone[sample] = run_alone("wiffharvest", os.path.join(where, "w1.wiff"),
                                                 os.path.join(where, "alone"))
        cls.results = os.path.join(cls.work, "results")
        cls.done = snakemake(cls.work, cls.results, cls.runs, "--cores", "2")
        cls.results_failing = os.path.join(cls.work, "results-with-failure")
        cls.failing = snakemake(cls.work, cls.results_failing, cls.with_failure, "--profile",
                                os.path.join(PROFILES, "local"), "--cores", "2")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def assert_runs_as_single(self, results, runs_folder):
        for run in EXPECTED_RUNS:
            with self.subTest(run=run):
                self.assertEqual(folder(os.path.join(results, "runs", run, "peaklists")),
                                 self.single[run]["peaklists"])
                logs = dict(self.single[run]["logs"])
                # The statistics of a .wiff run name its path.
                logs["runStats.txt"] = logs["runStats.txt"].replace(self.runs, runs_folder)
                self.assertEqual(folder(os.path.join(results, "runs", run, "logs")), logs)

    def test_finds_the_runs_as_every_front_end_does(self):
        """quarrow-runs finds the runs; the workflow leaves out those it cannot run."""
        self.assertEqual(quarrow_runs.find_runs(CATALOG, self.runs),
                         ({run: (program, os.path.join(self.runs, data)) for run, (program, data) in EXPECTED_RUNS.items()},
                          []))
        # A .wiff path that is there claims its exports by name; a run
        # folder needs an export; runs in folders below are found too.
        other = os.path.join(self.work, "discovery")
        for name in ("lysate-3.wiff", "lysate-3-A.mzML", "lysate-3-B.mzML.gz", "plain.mzXML", "sub/plain2.mzML.gz",
                     "s7.d/Analysis.mzML", "s8.d/Analysis.yep", "s7.mzML", "br{ace}.mzML"):
            os.makedirs(os.path.dirname(os.path.join(other, name)), exist_ok=True)
            with open(os.path.join(other, name), "w") as stream:
                stream.write("")
        shared = f"another run of {other} is named s7 too, and the run name prefixes every peak list and log row"
        self.assertEqual(quarrow_runs.find_runs(CATALOG, other), ({
            "lysate-3": ("wiffharvest", os.path.join(other, "lysate-3.wiff")),
            "plain": ("yepharvest", os.path.join(other, "plain.mzXML")),
            "plain2": ("yepharvest", os.path.join(other, "sub", "plain2.mzML.gz"))}, [
            (os.path.join(other, "br{ace}.mzML"), "its name holds { or }, which Snakemake reads as a wildcard", "br{ace}",
             "yepharvest"),
            (os.path.join(other, "s7.d", "Analysis.yep"), shared, "s7", "yepharvest"),
            (os.path.join(other, "s7.mzML"), shared, "s7", "yepharvest")]))
        with self.assertRaisesRegex(quarrow_runs.RunFolderError, "^quarrow-runs: cannot read the folder .*none: "):
            quarrow_runs.find_runs(CATALOG, os.path.join(other, "none"))

    def test_every_tool_of_the_build_is_given(self):
        """Run from any build folder, the workflow is told where each tool is."""
        import yaml
        with open(os.path.join(SOURCE, "workflow", "config.yaml")) as stream:
            config = yaml.safe_load(stream)
        self.assertEqual(sorted(name for name, value in config.items() if str(value).startswith("build/")),
                         sorted(TOOLS))

    def test_options_hold_the_keys_its_program_reads_off_their_defaults(self):
        keys = quarrow_runs.read_query_keys(KEYS)
        config = {"specFeaturesFilename": "f.txt", "autoCharge": "", "lowParent": 500.0, "cys": "ICAT-mix",
                  "tolerance_units": "%", "minMSsignalNoise": 40, "lastScan": 999999999}
        self.assertEqual(quarrow_runs.extract_options(config, keys, "wiffharvest"),
                         ["--specFeaturesFilename=f.txt", "--cys=ICAT-mix"])
        self.assertEqual(quarrow_runs.extract_options(config, keys, "yepharvest"),
                         ["--autoCharge=", "--minMSsignalNoise=40", "--specFeaturesFilename=f.txt", "--cys=ICAT-mix"])
        self.assertEqual(quarrow_runs.extract_options({}, keys, "yepharvest"), [])
        with self.assertRaisesRegex(quarrow_runs.ConfigError, "unknown settings: autocharge"):
            quarrow_runs.check_config({"runs": "r", "autocharge": "Find"}, keys)

    def test_config_lists_every_key_a_stage_reads_at_the_front_ends_default(self):
        import yaml
        keys = quarrow_runs.read_query_keys(KEYS)
        with open(os.path.join(SOURCE, "workflow", "config.yaml")) as stream:
            config = yaml.safe_load(stream)
        listed = {name: str(value) for name, value in config.items() if name not in quarrow_runs.WORKFLOW_SETTINGS}
        expected = {key.name: key.front_end_default for key in keys.values()
                    if not key.unused and not key.per_run()}
        self.assertEqual(listed, expected)

    def test_two_cores_give_the_single_runs_merged(self):
        self.assertEqual(self.done.returncode, 0, self.done.stdout)
        self.assert_runs_as_single(self.results, self.runs)
        merged = folder(os.path.join(self.results, "logs"))
        self.assertEqual(sorted(merged), ["parentChargeCheck.txt", "runStats.txt", "wiffharvest-specFeatures.txt",
                                          "xtractorRejectReasons.txt", "yepharvest-specFeatures.txt"])
        order = sorted(EXPECTED_RUNS)  # w1, y1, y2
        for name, runs in (("parentChargeCheck.txt", order), ("xtractorRejectReasons.txt", order),
                           ("yepharvest-specFeatures.txt", ["y1", "y2"]), ("wiffharvest-specFeatures.txt", ["w1"])):
            with self.subTest(log=name):
                own = "specFeatures.txt" if name.endswith("specFeatures.txt") else name
                texts = [self.single[run]["logs"][own] for run in runs]
                header = texts[0].split("\n")[0]
                self.assertEqual(merged[name], header + "".join(text[len(header):] for text in texts))
                self.assertEqual(merged[name].count(header), 1)
        # Each run's statistics blocks under its own name: y1's and y2's both name the run id ru_0.
        self.assertEqual(merged["runStats.txt"],
                         "".join(f"run\t{run}\n" + self.single[run]["logs"]["runStats.txt"] for run in order))
        self.assertEqual(re.findall(r"^FileName\t(.*)$", merged["runStats.txt"], re.MULTILINE), ["ru_0", "ru_0"])
        self.assertEqual(read(os.path.join(self.results, "failed.tsv")), "run\tprogram\terror\tlog\n")

    def test_pipeline_info_records_settings_versions_and_each_run(self):
        info = os.path.join(self.results, "pipeline_info")
        settings = {row["setting"]: row["value"] for row in table(os.path.join(info, "settings.tsv"))}
        for name, value in (("runs", self.runs), ("results", self.results), ("peakListFormat", "both"),
                            ("autoCharge", "Find"), ("lastScan", "999999999"), ("output_filename", ""),
                            ("mem_mb", "4000"), ("wiffharvest", PROGRAMS["wiffharvest"]), ("catalog", CATALOG), ("keys", KEYS),
                            ("parameters", os.path.join(os.path.realpath(SOURCE), "msparams_quarrow"))):
            self.assertEqual(settings[name], value, name)
        self.assertNotIn("xtractorDataFilename", settings)
        versions = {row["program"]: row for row in table(os.path.join(info, "versions.tsv"))}
        self.assertRegex(versions["quarrow-report"]["version"], r"^quarrow-report \d+\.\d+\.\d+$")
        self.assertRegex(versions["quarrow-keys"]["version"], r"^quarrow-keys \d+\.\d+\.\d+$")
        self.assertRegex(versions["quarrow-runs"]["version"], r"^quarrow-runs \d+\.\d+\.\d+$")
        installed = subprocess.run(["snakemake", "--version"], capture_output=True, text=True).stdout.strip()
        self.assertEqual(versions["snakemake"]["version"], installed)
        # Every tool and both programs by their own --version, and the file that ran.
        for name in ("quarrow-extract", "quarrow-report", "quarrow-keys", "quarrow-runs", "yepharvest", "wiffharvest"):
            self.assertRegex(versions[name]["version"], rf"^{name} \d+\.\d+\.\d+$")
            with open(versions[name]["path"], "rb") as stream:
                self.assertEqual(versions[name]["sha256"], "sha256:" + hashlib.sha256(stream.read()).hexdigest(), name)
        self.assertEqual(versions["wiffharvest"]["path"], PROGRAMS["wiffharvest"])

        def runs_of(results):
            return {row["run"]: row for row in table(os.path.join(results, "pipeline_info", "runs.tsv"))}

        for run, row in runs_of(self.results).items():
            start, end = (datetime.datetime.fromisoformat(row[name]) for name in ("start", "end"))
            self.assertLessEqual(start, end, run)
            self.assertAlmostEqual(float(row["seconds"]), (end - start).total_seconds(), delta=1.0)
            # What the operating system counted for the program that ran.
            self.assertGreater(float(row["seconds"]), 0, run)
            self.assertGreater(float(row["CPU seconds"]), 0, run)
            self.assertGreater(int(row["peak memory kB"]), 1024, run)
            self.assertEqual((row["program"], row["outcome"], row["exit status"]),
                             (EXPECTED_RUNS[run][0], "done", "0"))
        self.assertEqual(sorted(runs_of(self.results)), sorted(EXPECTED_RUNS))

    def test_a_step_the_workflow_stopped_before_is_not_run(self):
        results = os.path.join(self.work, "stopped")
        os.makedirs(os.path.join(results, "runs", "r1"))
        self.assertEqual(gather_results.report_failure(results, {"run": "r1"})["error"],
                         "not run: the workflow stopped before this run's report")
        self.assertEqual(gather_results.run_outcome(results, "r2", "yepharvest")["error"],
                         "not run: the workflow stopped before this run")
        # A report that started and said nothing did fail.
        with open(os.path.join(results, "runs", "r1", "report.log"), "w"):
            pass
        self.assertEqual(gather_results.report_failure(results, {"run": "r1"})["error"],
                         "the report was not made (see Snakemake's log)")
        self.assertEqual(pipeline_info.runs_text(results, [("r2", "wiffharvest")]),
                         "run\tprogram\tstart\tend\tseconds\tCPU seconds\tpeak memory kB\toutcome\texit status\n"
                         "r2\twiffharvest\t\t\t\t\t\tnot run\t\n")

    def test_summary_has_a_row_per_lc_run(self):
        rows = table(os.path.join(self.results, "summary.tsv"))
        self.assertEqual([(row["run"], row["sample"], row["output_name"]) for row in rows],
                         [("w1", "1", "w1"), ("w1", "2", "w1_2"), ("y1", "1", "y1"), ("y2", "1", "y2")])
        for row in rows:
            alone = self.single[row["run"]] if row["program"] == "yepharvest" else self.sample_alone[int(row["sample"])]
            with self.subTest(output_name=row["output_name"]):
                self.check_summary_row(row, alone)

    def check_summary_row(self, row, alone):
        """The row against the logs and files of the LC run made alone."""
        logs = alone["logs"]
        stats = {}
        for line in logs["runStats.txt"].split("\n"):
            key, _, value = line.partition("\t")
            if value.isdigit():
                stats[key] = int(value)
        sample_name = re.search(r"(?:SampleName\t|sampleName: )([^\t\n]*)", logs["runStats.txt"]).group(1)
        rejects = rows_after_header(logs["xtractorRejectReasons.txt"])
        pkl = [name for name in alone["peaklists"] if name.endswith(".pkl")]
        mgf = [text for name, text in alone["peaklists"].items() if name.endswith(".mgf")]
        self.assertEqual(row["sample_name"], sample_name)
        self.assertEqual(int(row["spectra_read"]), stats["numMSMSscansCollected"])
        self.assertEqual(int(row["merged"]), stats["numMSMSmergedParentScans"])
        self.assertEqual(int(row["written"]), stats["numOutputFiles"])
        self.assertEqual(int(row["peak_lists"]), len(pkl))
        self.assertEqual((int(row["mgf_files"]), int(row["mgf_spectra"])), (1, mgf[0].count("BEGIN IONS\n")))
        self.assertEqual(int(row["rejected"]), len(rejects))
        self.assertEqual(sum(int(value) for key, value in row.items() if key.startswith("rejected_")), len(rejects))
        self.assertEqual(int(row["rejected_merged"]), sum(" merged with scan " in line for line in rejects))
        self.assertGreater(int(row["rejected_merged"]), 0)
        for charge in range(1, 6):
            self.assertEqual(int(row[f"charge_{charge}"]), stats[f"numUniqueChargeSpectra {charge}"])
        self.assertEqual(int(row["charge_undetermined"]),
                         sum(value for key, value in stats.items() if key.startswith("numAmbiguousChargeSpectra")))
        if row["program"] == "yepharvest":
            # The generated ion-trap exports carry the generator's charges;
            # the report reads none from a .wiff file's.
            self.assertEqual(int(row["instrument_charged"]), stats["numOutputFiles"])
            # The charges counted are those the MGF states.
            self.assertEqual(int(row["charges_written"]), mgf[0].count("\nCHARGE="))
            self.assertEqual(int(row["stated_open"]) + sum(int(row[f"stated_{z}"]) for z in range(1, 4)),
                             stats["numOutputFiles"])
            self.assertLessEqual(int(row["charges_agreeing"]), int(row["charges_written"]))
        else:
            self.assertEqual(row["instrument_charged"], "0")

    def test_reject_rows_of_samples_told_apart_only_when_they_add_up(self):
        merged = "parent: 500.00 merged with scan 0001.0002 parent: 500.00"
        reasons = [merged, "< 4 peaks after picking", merged, merged]
        one, two = ({"numMSMSscansCollected": 5, "numOutputFiles": 3, "numMSMSmergedParentScans": 1},
                    {"numMSMSscansCollected": 4, "numOutputFiles": 2, "numMSMSmergedParentScans": 2})
        for counters, expected in (([one, two], [reasons[:2], reasons[2:]]),
                                   ([one], [reasons]),
                                   # A survey scan outside the scan range leaves a row too.
                                   ([one, dict(two, numOutputFiles=3)], None),
                                   ([dict(one, numMSMSmergedParentScans=2), two], None)):
            with self.subTest(counters=counters):
                self.assertEqual(summary_table.split_rejects(reasons, counters), expected)
        # A spectrum judged at several charges counts under the test it came furthest in.
        for reason, kind in (("1+: 450.00 outside range 500.0 - 5000.0; 2+: < 4 peaks after picking", "too-few-peaks"),
                             ("1+: 450.00 outside range 500.0 - 5000.0; 2+: 899.00 outside range 500.0 - 5000.0",
                              "parent-range"),
                             ("2+: maxSequenceTagLength: 0 <= 0 specified; 1+: 450.00 outside range 500.0 - 5000.0",
                              "sequence-tag"),
                             ("1+: 450.00 outside range 500.0 - 5000.0; 2+: else", "other")):
            self.assertEqual(summary_table.reject_kind(reason), kind, reason)

    def test_overview_page_links_every_run(self):
        page = read(os.path.join(self.results, "index.html"))
        for name in ("w1", "w1_2", "y1", "y2"):
            self.assertRegex(page, rf'<title>{name}: \d+ written</title>')
        links = re.findall(r'href="([^"]*)"', page)
        self.assertEqual(sorted({link.split("/")[1] for link in links}), ["w1", "y1", "y2"])
        for link in links:
            path = os.path.join(self.results, html.unescape(link))
            self.assertTrue(os.path.isdir(path) if link.endswith("/") else os.path.isfile(path), link)
        # Each LC run's MGF file, the one a search engine takes, and the run's .pkl files.
        for run, name in (("w1", "w1"), ("w1", "w1_2"), ("y1", "y1"), ("y2", "y2")):
            self.assertIn(f"runs/{run}/peaklists/{name}.mgf", links)
            pkl = len([f for f in os.listdir(os.path.join(self.results, "runs", run, "peaklists")) if f.endswith(".pkl")])
            self.assertIn(f'<a href="runs/{run}/peaklists/">{pkl} .pkl files</a>', page)
        self.assertNotRegex(page, r"(?i)<script|<img|<link|src=|url\(|https?:")
        # Each run's report draws its precursors against retention time, a .wiff file's per sample.
        for name in ("w1", "y1", "y2"):
            report = read(os.path.join(self.results, "runs", name, "report.html"))
            self.assertEqual(report.count("Precursor m/z against retention time"), 2 if name == "w1" else 1, name)

    def test_overview_checks_the_charges(self):
        import overview_page
        outcome = {"run": "r", "program": "yepharvest", "status": "done", "error": "", "log": "", "report": ""}

        def row(ones, **checks):
            return dict({"run": "r", "sample": 1, "sample_name": "", "output_name": "r<1", "program": "yepharvest",
                         "spectra_read": 20, "merged": 0, "written": 20, "rejected": 0, "peak_lists": 0,
                         "mgf_spectra": 20, "charges": {1: ones, 2: 20 - ones}, "charge_undetermined": 0}, **checks)
        # More than a tenth of the written spectra 1+ is warned of, a tenth is not.
        # The MGF's stated charges count where the report gave them: all 20
        # decided 1+, of which the MGF states 1+ for 2 or 3.
        warning = "<li><b>r&lt;1</b>: 3 of 20 written spectra (15&nbsp;%) are given 1+</li>"
        for rows, warned in (([row(2)], False), ([row(3)], True), ([row(20, stated={0: 18, 1: 2})], False),
                             ([row(20, stated={0: 17, 1: 3})], True)):
            with self.subTest(rows=rows):
                page = overview_page.page(rows, [outcome])
                self.assertEqual('id="singly-charged"' in page, warned)
                if warned:
                    self.assertIn(warning, page)
        self.assertIn("<td>1+ 15&nbsp;%, no charge 85&nbsp;%</td>",
                      overview_page.page([row(20, stated={0: 17, 1: 3})], [outcome]))
        checked = overview_page.page([row(0, instrument_charged=20, charges_written=18, charges_agreeing=9)], [outcome])
        self.assertIn("<td>9 of 18 (50&nbsp;%)</td>", checked)
        for unchecked in (row(0), row(0, instrument_charged=0, charges_written=0, charges_agreeing=0)):
            self.assertIn("<td>&mdash;</td><td>", overview_page.page([unchecked], [outcome]))
        # What the workflow's own runs say: y1 and y2 carry the instrument's
        # charges, shown where their MGF files state any.
        page = read(os.path.join(self.results, "index.html"))
        stating = [row for row in table(os.path.join(self.results, "summary.tsv"))
                   if row["instrument_charged"] not in ("", "0") and row["charges_written"] not in ("", "0")]
        self.assertEqual(len(re.findall(r"<td>\d+ of \d+ \(\d+&nbsp;%\)</td>", page)), len(stating))

    def test_a_failing_run_leaves_the_results_of_the_others(self):
        self.assertNotEqual(self.failing.returncode, 0, self.failing.stdout)
        self.assert_runs_as_single(self.results_failing, self.with_failure)
        # What spans the runs is that of the runs that succeeded, and the failed run's own row.
        for name in ("summary.tsv", "logs/runStats.txt", "logs/xtractorRejectReasons.txt"):
            self.assertEqual(read(os.path.join(self.results_failing, name)),
                             read(os.path.join(self.results, name)).replace(self.runs, self.with_failure))
        export = os.path.join(self.with_failure, BAD + ".d", "Analysis.mzML")
        sentence = (f"The export {export} is incomplete or damaged: it does not end with the closing </mzML>, "
                    "</indexedmzML> or </mzXML> tag.")
        self.assertEqual(read(os.path.join(self.results_failing, "failed.tsv")),
                         f"run\tprogram\terror\tlog\n{BAD}\tyepharvest\t{sentence}\truns/{BAD}/progress.txt\n")
        progress = read(os.path.join(self.results_failing, "runs", BAD, "progress.txt"))
        self.assertTrue(progress.startswith(f"yepharvest {export.replace('Analysis.mzML', 'Analysis.yep')}\n"), progress)
        self.assertIn(f"\nquarrow-extract: {BAD}: yepharvest failed (exit status 1: {sentence}); record ", progress)
        overview = read(os.path.join(self.results_failing, "index.html"))
        self.assertIn(html.escape(sentence), overview)
        self.assertIn("<b>bad&lt;&amp;</b> (yepharvest)", overview)
        self.assertNotIn(BAD, overview)
        # The records are written too, with the failed run's own row.
        records = table(os.path.join(self.results_failing, "pipeline_info", "runs.tsv"))
        self.assertEqual([(r["run"], r["program"], r["outcome"], r["exit status"]) for r in records],
                         [(BAD, "yepharvest", "failed", "1"), ("w1", "wiffharvest", "done", "0"),
                          ("y1", "yepharvest", "done", "0"), ("y2", "yepharvest", "done", "0")])
        self.assertTrue(os.path.isfile(os.path.join(self.results_failing, "pipeline_info", "settings.tsv")))

        # Without the failing run only the gathering is left to do.
        aside = os.path.join(self.work, "bad.d")
        os.rename(os.path.join(self.with_failure, BAD + ".d"), aside)
        try:
            done = snakemake(self.work, self.results_failing, self.with_failure, "--cores", "2")
        finally:
            os.rename(aside, os.path.join(self.with_failure, BAD + ".d"))
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertEqual(re.findall(r"^(?:local)?rule (\w+):", done.stdout, re.MULTILINE), ["merge", "all"])
        self.assertEqual(read(os.path.join(self.results_failing, "failed.tsv")), "run\tprogram\terror\tlog\n")

    def test_any_name_runs_or_is_left_out_before_any_job(self):
        """Run names a file system allows: each runs, or is left out with a
        message naming its file while the others go on; the runs left out
        are named with their reason in failed.tsv, pipeline_info/ and the
        overview, and the workflow fails; every row of the tables stays one
        line."""
        runs = os.path.join(self.work, "runs-named")
        os.makedirs(runs)
        generate("--folder", "--output", os.path.join(runs, "-lead.d"), "--seed", "4", "--spectra", "40")
        runnable = ["-lead", "...", "quo\"te's", "sp  ace", "\u00fcn\u00ef", "a;b&c$(x)"]
        refused = {"br{ace}": "{ or }", "..": "cannot be a folder", "new\nline": "control character",
                   "tab\tin": "control character"}
        for name in runnable[1:] + list(refused) + ["twice"]:
            shutil.copytree(os.path.join(runs, "-lead.d"), os.path.join(runs, name + ".d"))
        shutil.copy(os.path.join(runs, "-lead.d", "Analysis.mzML"), os.path.join(runs, "twice.mzML"))
        refused.update({"twice.d/Analysis.yep": "is named twice too", "twice.mzML": "is named twice too"})
        results = os.path.join(self.work, "results-named")
        done = snakemake(self.work, results, runs, "--cores", "2")
        self.assertNotEqual(done.returncode, 0, done.stdout)
        self.assertIn(f"{len(refused)} of {len(refused) + len(runnable)} runs were left out", done.stdout)
        failed = table(os.path.join(results, "failed.tsv"))
        self.assertEqual(len(failed), len(refused), failed)
        records = table(os.path.join(results, "pipeline_info", "runs.tsv"))
        overview = read(os.path.join(results, "index.html"))
        self.assertIn(f"<h2>{len(refused)} of {len(refused) + len(runnable)} runs failed or were left out</h2>", overview)
        for name, reason in refused.items():
            with self.subTest(name=name):
                data = os.path.join(runs, name if name.startswith("twice") else name + ".d/Analysis.yep")
                line = next((line for line in done.stdout.split("\n") if line.startswith(f"Left out the run {data!r}")),
                            "")
                self.assertIn(reason, line, name)
                run = name.split(".")[0] if name.startswith("twice") else name
                row = next(row for row in failed if " ".join(data.split()) in row["error"])
                self.assertEqual((row["run"], row["program"], row["log"]), (" ".join(run.split()), "yepharvest", ""))
                self.assertTrue(row["error"].startswith("left out before any job: ") and reason in row["error"], row)
                self.assertIn(["left out", "yepharvest"], [[r["outcome"], r["program"]] for r in records
                                                            if r["run"] == pipeline_info._field(run)])
                self.assertIn(f"<b>{html.escape(run)}</b> (yepharvest): left out before any job: ", overview)
        self.assertEqual(sorted(os.listdir(os.path.join(results, "runs"))), sorted(runnable))
        self.assertEqual(sorted(r["run"] for r in records if r["outcome"] == "done"),
                         sorted(pipeline_info._field(run) for run in runnable))
        summary = read(os.path.join(results, "summary.tsv")).rstrip("\n").split("\n")
        columns = summary[0].count("\t")
        self.assertEqual(sorted(line.split("\t")[0] for line in summary[1:]), sorted(runnable))
        self.assertTrue(all(line.count("\t") == columns for line in summary), summary)
        for path in ("failed.tsv", "pipeline_info/runs.tsv"):
            lines = read(os.path.join(results, path)).rstrip("\n").split("\n")
            self.assertTrue(all(line.count("\t") == lines[0].count("\t") for line in lines), lines)

    def test_settings_every_front_end_refuses_start_no_job(self):
        """A window that takes nothing and a value no front end takes are
        refused before any job, in the words of every front end's refusal;
        a window of one scan runs."""
        cases = [
            (["firstScan=10", "lastScan=5"], "the settings for wiffharvest are refused, so no run was started: The value "
             "10 of the query key firstScan is above the value 5 of the query key lastScan: no scan lies between them."),
            (["lowParent=3000", "highParent=2000"], "the settings for wiffharvest are refused, so no run was started: "
             "The value 3000 of the query key lowParent is above the value 2000 of the query key highParent"),
            (["cys=nothing"], "--cys nothing: not a cysteine modification of msparams_quarrow/cysteines.tsv: "
             "pyridylethylation, acrylamide, iodoacetamide, carbamidomethyl (another name for iodoacetamide),"),
        ]
        for number, (config, message) in enumerate(cases):
            with self.subTest(config=config):
                results = os.path.join(self.work, f"results-refused-{number}")
                done = snakemake(self.work, results, self.runs, "--cores", "2", config=config)
                self.assertNotEqual(done.returncode, 0, done.stdout)
                self.assertIn(message, done.stdout)
                self.assertNotIn("rule extract", done.stdout)
                self.assertFalse(os.path.exists(os.path.join(results, "runs")))
        done = snakemake(self.work, os.path.join(self.work, "results-one-scan"), self.runs, "--cores", "2", "-n",
                         config=["firstScan=5", "lastScan=5"])
        self.assertEqual(done.returncode, 0, done.stdout)

    def test_samplesheet_gives_each_run_its_own_settings(self):
        """A samplesheet's rows are the runs, each cell its run's setting
        and an empty one the workflow's, recorded in each run's run.tsv."""
        sheet = os.path.join(self.work, "sheet", "samples.tsv")
        os.makedirs(os.path.dirname(sheet))
        with open(sheet, "w") as stream:
            stream.write("sample\tpath\tcys\tgroupScans\n"
                         "y1\t../runs/y1.d\tiodoacetamide\t\n"
                         "\n"
                         "\t../runs/y2.mzML.gz\t\t9\n")
        results = os.path.join(self.work, "results-sheet")
        done = snakemake(self.work, results, self.runs, "--cores", "2",
                         config=[f"samplesheet={sheet}", "cys=acrylamide"])
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertEqual(sorted(os.listdir(os.path.join(results, "runs"))), ["y1", "y2"])
        for run, cys, group_scans in (("y1", ("iodoacetamide", "given"), "15"), ("y2", ("acrylamide", "given"), "9")):
            with self.subTest(run=run):
                record = {row["field"]: row for row in table(os.path.join(results, "runs", run, "run.tsv"))}
                self.assertEqual((record["cys"]["value"], record["cys"]["source"]), cys)
                self.assertEqual(record["groupScans"]["value"], group_scans)
                self.assertEqual(record["outcome"]["value"], "ok")
                self.assertEqual(record["data file"]["value"], os.path.join(self.runs, EXPECTED_RUNS[run][1]))
        settings = {row["setting"]: row["value"] for row in table(os.path.join(results, "pipeline_info", "settings.tsv"))}
        self.assertEqual(settings["samplesheet"], sheet)

    def test_samplesheet_is_refused_before_any_job_in_the_command_lines_words(self):
        sheet_folder = os.path.join(self.work, "sheets")
        os.makedirs(sheet_folder)
        y1 = os.path.join(self.runs, "y1.d")

        def command_line_says(*options):
            said = subprocess.run([EXTRACT, y1, *options, "--out", os.path.join(self.work, "never")],
                                  capture_output=True, text=True)
            self.assertEqual(said.returncode, 2, said.stderr)
            return said.stderr.strip().removeprefix("quarrow-extract: ")

        cases = [
            ("unknown.csv", f"sample,path,cyss\ny1,{y1},\n", command_line_says("--cyss=")),
            ("bad-value.csv", f'sample,path,groupScans\ny1,"{y1}",12x\n', command_line_says("--groupScans=12x")),
            ("wiff.tsv", f"sample\tpath\tautoCharge\nw1\t{os.path.join(self.runs, 'w1.wiff')}\tDefault\n",
             "autoCharge is read by yepharvest only"),
            ("renamed.tsv", f"sample\tpath\nmine\t{y1}\n", "the sample mine is the run y1"),
            ("twice.tsv", f"sample\tpath\ny1\t{y1}\n\t{y1}/Analysis.yep\n", "a second row of the run y1"),
            ("header.tsv", f"path\tsample\n{y1}\ty1\n", "expected sample, path, then any key"),
        ]
        for name, text, words in cases:
            with self.subTest(sheet=name):
                sheet = os.path.join(sheet_folder, name)
                with open(sheet, "w") as stream:
                    stream.write(text)
                results = os.path.join(self.work, "results-refused")
                done = snakemake(self.work, results, self.runs, "--cores", "1", config=[f"samplesheet={sheet}"])
                self.assertNotEqual(done.returncode, 0, done.stdout)
                self.assertIn(f"the samplesheet {sheet}", done.stdout)
                self.assertIn(" ".join(words.split()), " ".join(done.stdout.split()))
                self.assertFalse(os.path.exists(os.path.join(results, "runs")), done.stdout)

    def test_failed_runs_say_why(self):
        """What failed.tsv says of a failed run, for each way a program fails,
        from quarrow-extract's record of it."""
        where = os.path.join(self.work, "failures")
        os.makedirs(where)
        crash = os.path.join(where, "crash")
        with open(crash, "w") as stream:
            stream.write("#!/bin/sh\necho '<BR>Data read into memory.'\nkill -SEGV $$\n")
        os.chmod(crash, 0o755)
        y1 = os.path.join(self.runs, "y1.d")
        damaged = os.path.join(where, "damaged.mzML")
        with open(damaged, "w") as stream:
            stream.write("<mzML><run>")
        cases = [
            ("yepharvest", y1, [], None, 0),
            ("yepharvest", y1, ["--groupScans=-3"],
             "quarrow-extract left no record of the run: it refused it or was stopped first (see its progress)", 2),
            # A run that is not there is refused before anything runs.
            ("yepharvest", os.path.join(where, "none.d"), [],
             "quarrow-extract left no record of the run: it refused it or was stopped first (see its progress)", 2),
            ("wiffharvest", os.path.join(where, "none.wiff"), [],
             "quarrow-extract left no record of the run: it refused it or was stopped first (see its progress)", 2),
            ("yepharvest", damaged, [],
             f"The export {damaged} is incomplete or damaged: it does not end with the closing </mzML>, "
             "</indexedmzML> or </mzXML> tag.", 1),
            (crash, y1, [], "yepharvest was ended by signal 11 (Segmentation fault) before it said why.", 128 + 11),
        ]
        for number, (program, data, options, sentence, status) in enumerate(cases):
            with self.subTest(program=program, options=options, data=data):
                results = os.path.join(where, str(number))
                run = os.path.splitext(os.path.basename(data))[0]
                os.makedirs(os.path.join(results, "runs", run))
                # As the workflow's job starts it.
                with open(os.path.join(results, "runs", run, gather_results.PROGRESS), "w") as progress:
                    done = subprocess.run([EXTRACT, data, *options, "--yepharvest", PROGRAMS.get(program, program),
                                           "--out", os.path.join(results, "runs")], stdout=progress,
                                          stderr=subprocess.STDOUT)
                self.assertEqual(done.returncode, status)
                if sentence is None:
                    record = pipeline_info.read_record(os.path.join(results, "runs", run, pipeline_info.RECORD))
                    self.assertEqual((record["outcome"], record["error"]), ("ok", ""))
                    continue
                outcome = gather_results.run_outcome(results, run, os.path.basename(program))
                self.assertEqual((outcome["status"], outcome["error"]), ("failed", sentence))
                self.assertTrue(read(os.path.join(results, outcome["log"])).strip())


class DemoTargets(unittest.TestCase):
    """README's workflow command works as printed after ./setup.sh demo,
    which builds its demo_targets and nothing else."""

    def test_readme_workflow_command_after_the_demo(self):
        targets = re.search(r"^demo_targets=\(([^)]*)\)", read(os.path.join(SOURCE, "setup.sh")), re.MULTILINE)
        self.assertIsNotNone(targets)
        command = next((line.strip() for line in read(os.path.join(SOURCE, "README.md")).split("\n")
                        if line.strip().startswith("snakemake -s workflow/Snakefile --cores")), None)
        self.assertIsNotNone(command, "README shows no workflow command")
        work = tempfile.mkdtemp(prefix="quarrow-demo-workflow-")
        try:
            # A checkout whose build folder holds the demo's programs, each where the build puts it.
            checkout = os.path.join(work, "checkout")
            for part in ("workflow", "msparams_quarrow"):
                shutil.copytree(os.path.join(SOURCE, part), os.path.join(checkout, part))
            for target in targets.group(1).split():
                built = [os.path.join(base, target) for base, _, names in os.walk(BUILD)
                         if target in names and "CMakeFiles" not in base and os.access(os.path.join(base, target), os.X_OK)]
                self.assertEqual(len(built), 1, f"{target}: {built}")
                place = os.path.join(checkout, "build", os.path.relpath(built[0], BUILD))
                os.makedirs(os.path.dirname(place), exist_ok=True)
                os.symlink(built[0], place)
            runs, results = os.path.join(work, "runs"), os.path.join(work, "results")
            os.makedirs(runs)
            generate("--folder", "--output", os.path.join(runs, "sample7.d"), "--spectra", "60", "--seed", "7")
            words = [word.replace("/data/runs", runs).replace("/data/results", results) for word in command.split()]
            done = subprocess.run(words, cwd=checkout, text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.assertEqual(done.returncode, 0, done.stdout)
            self.assertEqual(table(os.path.join(results, "pipeline_info", "runs.tsv"))[0]["outcome"], "done")
            self.assertTrue(os.path.isfile(os.path.join(results, "runs", "sample7", "peaklists", "sample7.mgf")))
        finally:
            shutil.rmtree(work, ignore_errors=True)


def free_port():
    """A free port for the controller (the cluster refuses to start when the node's, the next, is taken)."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class SlurmCluster(unittest.TestCase):
    """The SLURM profile through a real one-node cluster on 127.0.0.1."""

    @classmethod
    def setUpClass(cls):
        missing = [c for c in ("snakemake", "sbatch", "slurmctld", "slurmd", "munged")
                   if shutil.which(c, path=os.environ["PATH"] + ":/usr/sbin") is None]
        if missing:
            raise RuntimeError(f"missing: {', '.join(missing)} (./setup.sh test installs snakemake, slurmctld, "
                               "slurmd, slurm-client and munge)")
        cls.root = [] if os.getuid() == 0 else ["sudo", "-n"]
        cls.work = tempfile.mkdtemp(prefix="quarrow-slurm-")
        os.chmod(cls.work, 0o755)  # munged's socket is below it
        cls.cluster = os.path.join(cls.work, "cluster")
        cls.addClassCleanup(cls.remove_work)
        cls.runs, cls.with_failure = make_runs(cls.work, 150)
        cls.addClassCleanup(cls.control, "stop")  # also after a start that failed half-way
        cls.started = cls.control("start", str(free_port()))

    @classmethod
    def control(cls, action, *more):
        """What the script printed."""
        return subprocess.run([*cls.root, os.path.join(SOURCE, "workflow", "one-node-slurm.sh"), action, cls.cluster,
                               *more], check=True, stdout=subprocess.PIPE, text=True).stdout

    @classmethod
    def remove_work(cls):
        # The cluster's folder holds files of root's.
        subprocess.run([*cls.root, "rm", "-rf", cls.work], check=False)

    def test_profile_runs_through_the_scheduler_as_on_two_cores(self):
        local_results = os.path.join(self.work, "results-local")
        local = snakemake(self.work, local_results, self.with_failure, "--profile", os.path.join(PROFILES, "local"),
                          "--cores", "2")
        self.assertNotEqual(local.returncode, 0, local.stdout)
        slurm_results = os.path.join(self.work, "results-slurm")
        # The environment the printed hint makes, in a shell without USER.
        hint = "\n".join(line.strip() for line in self.started.split("\n") if line.strip().startswith("export "))
        shown = subprocess.run(["env", "-u", "USER", "sh", "-c", hint + "\nenv -0"], check=True,
                               stdout=subprocess.PIPE, text=True).stdout
        environment = dict(entry.split("=", 1) for entry in shown.split("\0") if "=" in entry)
        self.assertEqual((environment["SLURM_CONF"], environment["USER"]),
                         (os.path.join(self.cluster, "slurm.conf"), pwd.getpwuid(os.getuid()).pw_name))
        slurm = snakemake(self.work, slurm_results, self.with_failure, "--profile", os.path.join(PROFILES, "slurm"),
                          environment=environment, config=["mem_mb=500"])
        self.assertNotEqual(slurm.returncode, 0, slurm.stdout)

        jobs = {}
        for line in read(os.path.join(self.cluster, "log", "jobcomp.log")).splitlines():
            fields = dict(field.split("=", 1) for field in line.split(" ") if "=" in field)
            jobs[fields["Name"]] = fields["JobState"]
        self.assertEqual(jobs, {"quarrow.y1": "COMPLETED", "quarrow.y2": "COMPLETED", "quarrow.w1": "COMPLETED",
                                "quarrow.bad__": "FAILED"})

        def normalised(results):
            # Pages name the results folder; wiffharvest prints its run time.
            # The records hold times and the settings the cluster's memory.
            return {path: re.sub(r"Execution Time: [0-9.]+ secs", "", text.replace(results, "RESULTS"))
                    for path, text in tree(results).items()
                    if not path.startswith("pipeline_info/") and not path.endswith("/" + pipeline_info.RECORD)}

        def outcomes(results):
            return [(row["run"], row["outcome"]) for row in table(os.path.join(results, "pipeline_info", "runs.tsv"))]

        expected = normalised(local_results)
        self.assertEqual(normalised(slurm_results), expected)
        for name in ("summary.tsv", "failed.tsv", "index.html", "logs/runStats.txt", f"runs/{BAD}/progress.txt"):
            self.assertIn(name, expected)
        self.assertEqual([row["run"] for row in table(os.path.join(slurm_results, "failed.tsv"))], [BAD])
        self.assertEqual(outcomes(slurm_results), outcomes(local_results))


if __name__ == "__main__":
    unittest.main(verbosity=2)
