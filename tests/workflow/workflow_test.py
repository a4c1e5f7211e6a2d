#!/usr/bin/env python3
"""The Snakemake workflow (workflow/) on generated runs.

Run by CTest in the plain build; QUARROW_SOURCE_DIR and QUARROW_BUILD_DIR
name the repository and the build folder. Needs Debian's snakemake.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.environ.get("QUARROW_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("QUARROW_BUILD_DIR", os.path.join(SOURCE, "build"))
SNAKEFILE = os.path.join(SOURCE, "workflow", "Snakefile")
RUNGEN = os.path.join(BUILD, "tools", "quarrow-rungen")
PROGRAMS = {"yepharvest": os.path.join(BUILD, "yepharvest", "yepharvest"),
            "wiffharvest": os.path.join(BUILD, "wiffharvest", "wiffharvest")}
FAKE_SLURM = os.path.join(SOURCE, "tests", "workflow", "fake-slurm")
LOGS = ("parentChargeCheck.txt", "xtractorRejectReasons.txt", "specFeatures.txt", "runStats.txt")

sys.path.insert(0, os.path.join(SOURCE, "workflow", "scripts"))
import quarrow_runs  # noqa: E402


def read(path):
    with open(path, "rb") as stream:
        return stream.read().decode("utf-8", "surrogateescape")


def folder(path):
    return {name: read(os.path.join(path, name)) for name in sorted(os.listdir(path))}


def generate(*arguments):
    subprocess.run([RUNGEN, *arguments], check=True, stdout=subprocess.DEVNULL)


def header_and_rest(text):
    end = text.find("\n")
    return (text, "") if end < 0 else (text[:end], text[end:])


def snakemake(work, *arguments, environment=None):
    command = ["snakemake", "-s", SNAKEFILE, *arguments]
    return subprocess.run(command, cwd=work, env=environment, text=True, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)


def program_config(results, runs, *more):
    return ["--config", f"runs={runs}", f"results={results}", f"yepharvest={PROGRAMS['yepharvest']}",
            f"wiffharvest={PROGRAMS['wiffharvest']}", "autoCharge=Find", *more]


class Workflow(unittest.TestCase):
    """Three generated runs: a run folder, an export named directly, and the
    two-sample exports of a .wiff file that is not there."""

    @classmethod
    def setUpClass(cls):
        if shutil.which("snakemake") is None:
            raise RuntimeError("snakemake is not installed (Debian's snakemake; ./setup.sh test installs it)")
        cls.work = tempfile.mkdtemp(prefix="quarrow-workflow-")
        cls.runs = os.path.join(cls.work, "runs")
        os.makedirs(cls.runs)
        generate("--folder", "--output", os.path.join(cls.runs, "y1.d"), "--spectra", "300", "--seed", "1",
                 "--truth", os.path.join(cls.work, "y1.truth.tsv"))
        generate("--output", os.path.join(cls.runs, "y2.mzML"), "--spectra", "300", "--seed", "2",
                 "--truth", os.path.join(cls.work, "y2.truth.tsv"))
        generate("--sciex", "qstar", "--samples", "2", "--spectra", "300", "--seed", "3",
                 "--output", os.path.join(cls.runs, "w1.wiff"), "--truth", os.path.join(cls.work, "w1.truth.tsv"))
        cls.expected = {"y1": ("yepharvest", os.path.join(cls.runs, "y1.d", "Analysis.yep")),
                        "y2": ("yepharvest", os.path.join(cls.runs, "y2.mzML")),
                        "w1": ("wiffharvest", os.path.join(cls.runs, "w1.wiff"))}
        # Each run alone, started as a web server starts it, with the
        # programs' own defaults but for the whole scan range.
        params = os.path.join(cls.work, "single")
        os.makedirs(params)
        os.symlink(os.path.join(SOURCE, "msparams_quarrow"), os.path.join(params, "msparams_quarrow"))
        cls.single = {}
        for run, (program, data) in cls.expected.items():
            logs = os.path.join(cls.work, "single", run, "logs")
            peaklists = os.path.join(cls.work, "single", run, "peaklists")
            os.makedirs(logs)
            os.makedirs(peaklists)
            query = (f"xtractorDataFilename={data}&resultsXtractorDir={peaklists}/&logFileDir={logs}/"
                     "&specFeaturesFilename=specFeatures.txt&lastScan=999999999&autoCharge=Find")
            subprocess.run([PROGRAMS[program]], cwd=params, env={"QUERY_STRING": query}, check=True,
                           stdout=subprocess.DEVNULL)
            cls.single[run] = {"logs": folder(logs), "peaklists": folder(peaklists)}
        # The same runs and one whose export is damaged.
        cls.with_failure = os.path.join(cls.work, "runs-with-failure")
        shutil.copytree(cls.runs, cls.with_failure)
        bad = os.path.join(cls.with_failure, "bad.d")
        shutil.copytree(os.path.join(cls.runs, "y1.d"), bad)
        export = os.path.join(bad, "Analysis.mzML")
        with open(export, "rb") as stream:
            content = stream.read()
        with open(export, "wb") as stream:
            stream.write(content[: len(content) // 2])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def assert_runs_as_single(self, results, runs, runs_folder=None):
        for run in runs:
            with self.subTest(run=run):
                self.assertEqual(folder(os.path.join(results, "runs", run, "peaklists")),
                                 self.single[run]["peaklists"])
                logs = dict(self.single[run]["logs"])
                # The statistics of a .wiff run name its path.
                logs["runStats.txt"] = logs["runStats.txt"].replace(self.runs, runs_folder or self.runs)
                self.assertEqual(folder(os.path.join(results, "runs", run, "logs")), logs)

    def test_finds_the_runs_of_the_folder(self):
        self.assertEqual(quarrow_runs.find_runs(self.runs), self.expected)
        # A .wiff path that is there claims its exports by name.
        other = os.path.join(self.work, "discovery")
        os.makedirs(other)
        for name in ("lysate-3.wiff", "lysate-3-A.mzML", "lysate-3-B.mzML.gz", "plain.mzXML", "plain2.mzML.gz"):
            with open(os.path.join(other, name), "w") as stream:
                stream.write("")
        os.makedirs(os.path.join(other, "s7.d"))
        self.assertEqual(quarrow_runs.find_runs(other), {
            "lysate-3": ("wiffharvest", os.path.join(other, "lysate-3.wiff")),
            "plain": ("yepharvest", os.path.join(other, "plain.mzXML")),
            "plain2": ("yepharvest", os.path.join(other, "plain2.mzML.gz")),
            "s7": ("yepharvest", os.path.join(other, "s7.d", "Analysis.yep"))})
        with open(os.path.join(other, "s7.mzML"), "w") as stream:
            stream.write("")
        with self.assertRaisesRegex(quarrow_runs.RunFolderError, "two runs named s7"):
            quarrow_runs.find_runs(other)

    def test_query_has_every_parameter(self):
        config = {"specFeaturesFilename": "f.txt", "lastScan": 999999999, "autoCharge": "", "lowParent": 500.0,
                  "cys": "ICAT-mix", "tolerance_units": "%"}
        self.assertEqual(quarrow_runs.query_text(config, "/d/a b.wiff", "/r/p/", "/r/l/"),
                         "xtractorDataFilename=/d/a%20b.wiff&resultsXtractorDir=/r/p/&logFileDir=/r/l/"
                         "&specFeaturesFilename=f.txt&lastScan=999999999&lowParent=500.0&tolerance_units=%25"
                         "&cys=ICAT-mix")

    def test_two_cores_give_the_single_runs_merged(self):
        results = os.path.join(self.work, "results")
        done = snakemake(self.work, "--cores", "2", *program_config(results, self.runs))
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assert_runs_as_single(results, self.expected)

        merged = folder(os.path.join(results, "logs"))
        self.assertEqual(sorted(merged), ["parentChargeCheck.txt", "runStats.txt", "wiffharvest-specFeatures.txt",
                                          "xtractorRejectReasons.txt", "yepharvest-specFeatures.txt"])
        order = sorted(self.expected)  # w1, y1, y2
        for name, runs in (("parentChargeCheck.txt", order), ("xtractorRejectReasons.txt", order),
                           ("yepharvest-specFeatures.txt", ["y1", "y2"]), ("wiffharvest-specFeatures.txt", ["w1"])):
            with self.subTest(log=name):
                own = "specFeatures.txt" if name.endswith("specFeatures.txt") else name
                header = header_and_rest(self.single[runs[0]]["logs"][own])[0]
                self.assertEqual(merged[name], header + "".join(
                    header_and_rest(self.single[run]["logs"][own])[1] for run in runs))
                self.assertEqual(merged[name].count(header), 1)
        self.assertEqual(merged["runStats.txt"], "".join(self.single[run]["logs"]["runStats.txt"] for run in order))

        lines = read(os.path.join(results, "summary.tsv")).rstrip("\n").split("\n")
        columns = lines[0].split("\t")
        summary = {row["run"]: row for row in (dict(zip(columns, line.split("\t"))) for line in lines[1:])}
        self.assertEqual(sorted(summary), order)
        for run in order:
            with self.subTest(run=run):
                self.check_summary_row(run, summary[run])

    def check_summary_row(self, run, row):
        logs = self.single[run]["logs"]
        stats = {}
        for line in logs["runStats.txt"].split("\n"):
            key, _, value = line.partition("\t")
            if value.lstrip("-").isdigit():
                stats[key] = stats.get(key, 0) + int(value)
        rejects = header_and_rest(logs["xtractorRejectReasons.txt"])[1].split("\n")[1:]
        features = header_and_rest(logs["specFeatures.txt"])[1].split("\n")[1:]
        pkl = [name for name in self.single[run]["peaklists"] if name.endswith(".pkl")]
        self.assertEqual(row["program"], self.expected[run][0])
        self.assertEqual(int(row["samples"]), 2 if run == "w1" else 1)
        self.assertEqual(int(row["spectra_read"]), stats["numMSMSscansCollected"])
        self.assertEqual(int(row["merged"]), stats["numMSMSmergedParentScans"])
        self.assertEqual(int(row["written"]), stats["numOutputFiles"])
        self.assertEqual(int(row["peak_lists"]), len(pkl))
        self.assertEqual(len(features), len(pkl))
        self.assertEqual(int(row["rejected"]), len(rejects))
        self.assertEqual(sum(int(value) for key, value in row.items() if key.startswith("rejected_")), len(rejects))
        self.assertEqual(int(row["rejected_merged"]), sum(" merged with scan " in line for line in rejects))
        self.assertGreater(int(row["rejected_merged"]), 0)
        for charge in range(1, 6):
            self.assertEqual(int(row[f"charge_{charge}"]), stats[f"numUniqueChargeSpectra {charge}"])
        self.assertEqual(int(row["charge_undetermined"]),
                         sum(value for key, value in stats.items() if key.startswith("numAmbiguousChargeSpectra")))

    def test_a_failing_run_fails_its_job_and_the_others_go_on(self):
        results = os.path.join(self.work, "results-local-profile")
        failed = snakemake(self.work, "--profile", os.path.join(SOURCE, "workflow", "profiles", "local"),
                           "--cores", "2", *program_config(results, self.with_failure))
        self.assertNotEqual(failed.returncode, 0, failed.stdout)
        self.assertIn("bad", failed.stdout)
        self.assert_runs_as_single(results, self.expected, self.with_failure)
        # Snakemake takes away the logs of a failed job; its page stays.
        self.assertFalse(os.path.exists(os.path.join(results, "runs", "bad", "logs", "runStats.txt")))
        self.assertIn("Error", read(os.path.join(results, "runs", "bad", "progress.html")))
        self.assertFalse(os.path.exists(os.path.join(results, "summary.tsv")))
        # Without the failing run only the merge is left to do.
        aside = os.path.join(self.work, "bad.d")
        os.rename(os.path.join(self.with_failure, "bad.d"), aside)
        try:
            done = snakemake(self.work, "--cores", "2", *program_config(results, self.with_failure))
        finally:
            os.rename(aside, os.path.join(self.with_failure, "bad.d"))
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertNotIn("rule extract:", done.stdout)
        self.assertIn("rule merge:", done.stdout)
        self.assertEqual(len(read(os.path.join(results, "summary.tsv")).strip().split("\n")), 4)

    def test_slurm_profile(self):
        """The SLURM profile against stand-ins for sbatch, sacct, sinfo and srun
        (tests/workflow/fake-slurm/) that run each job on this machine."""
        results = os.path.join(self.work, "results-slurm")
        state = os.path.join(self.work, "slurm-state")
        os.makedirs(state)
        # The damaged copy of y1.d fails; the others go on.
        environment = dict(os.environ, PATH=FAKE_SLURM + os.pathsep + os.environ["PATH"], FAKE_SLURM_STATE=state,
                           USER=os.environ.get("USER", "quarrow"))
        done = snakemake(self.work, "--profile", os.path.join(SOURCE, "workflow", "profiles", "slurm"),
                         *program_config(results, self.with_failure), environment=environment)
        self.assertNotEqual(done.returncode, 0, done.stdout)
        self.assertIn("has been submitted with SLURM jobid", done.stdout)
        states = sorted(read(os.path.join(state, name)).strip() for name in os.listdir(state) if name.isdigit())
        self.assertEqual(states, ["COMPLETED", "COMPLETED", "COMPLETED", "FAILED"])
        self.assert_runs_as_single(results, self.expected, self.with_failure)
        self.assertFalse(os.path.exists(os.path.join(results, "summary.tsv")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
