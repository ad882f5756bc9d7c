#!/usr/bin/env python3
"""Tests of the benchmark report: reading Google Benchmark's JSON, medians, ratios, growth, the
table's layout and the configparser reading of a control file.

    python3 bench/report_test.py
"""

import contextlib
import io
import json
import os
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import report  # noqa: E402


def run(name, real_time, unit="ms", **extra):
    entry = {"name": name, "run_name": name, "run_type": "iteration", "real_time": real_time,
             "time_unit": unit}
    entry.update(extra)
    return entry


def median(name, real_time, unit="ms", repetitions=5, **extra):
    entry = run(name + "_median", real_time, unit, **extra)
    entry.update(run_name=name, run_type="aggregate", aggregate_name="median",
                 repetitions=repetitions)
    return entry


class BenchmarkKeyTest(unittest.TestCase):
    def test_options_dropped_arguments_kept(self):
        cases = [
            ("BM_RawInsert", "BM_RawInsert"),
            ("BM_LoadValidate/1000/min_time:0.300/real_time", "BM_LoadValidate/1000"),
            ("BM_Write/100000/0/min_time:0.300/repeats:3/real_time", "BM_Write/100000/0"),
            ("BM_TqctlConvert/100000/iterations:1/manual_time", "BM_TqctlConvert/100000"),
            ("BM_X/-5/threads:2", "BM_X/-5"),
        ]
        for run_name, key in cases:
            self.assertEqual(report.benchmark_key(run_name), key, run_name)


class ParseResultsTest(unittest.TestCase):
    def test_median_aggregate_wins_over_runs_and_gives_the_amount(self):
        name = "BM_LoadValidate/1000/real_time"
        document = {"benchmarks": [
            run(name, 3.0, bytes_per_second=1e6 / 3e-3),
            run(name, 1.0, bytes_per_second=1e6 / 1e-3),
            median(name, 2.0, bytes_per_second=1e6 / 2e-3, repetitions=3),
            run(name + "_mean", 9.0, run_type="aggregate", aggregate_name="mean"),
        ]}
        result = report.parse_results(document)["BM_LoadValidate/1000"]
        self.assertAlmostEqual(result.seconds, 2e-3)
        self.assertAlmostEqual(result.amount, 1e6)
        self.assertEqual(result.repetitions, 3)

    def test_the_pause_is_the_largest_of_the_runs_and_the_max_aggregate(self):
        name = "BM_W/1000/real_time"
        aggregate = dict(run_type="aggregate", run_name=name)
        document = {"benchmarks": [
            run(name, 1.0, ui_pause_ms=12.0),
            median(name, 1.0, ui_pause_ms=8.0),
            run(name + "_max", 1.0, aggregate_name="max", ui_pause_ms=40.0, **aggregate),
            run(name + "_stddev", 1.0, aggregate_name="stddev", ui_pause_ms=99.0, **aggregate),
            run("BM_Other", 1.0),
        ]}
        results = report.parse_results(document)
        self.assertEqual(results["BM_W/1000"].pause_ms, 40.0)
        self.assertIsNone(results["BM_Other"].pause_ms)

    def test_runs_without_aggregate_give_their_median(self):
        document = {"benchmarks": [run("BM_A", 5.0, "us", items_per_second=1000 / 5e-6),
                                   run("BM_A", 1.0, "us", items_per_second=1000 / 1e-6),
                                   run("BM_A", 2.0, "us", items_per_second=1000 / 2e-6)]}
        result = report.parse_results(document)["BM_A"]
        self.assertAlmostEqual(result.seconds, 2e-6)
        self.assertAlmostEqual(result.amount, 1000)
        self.assertEqual(result.repetitions, 3)

    def test_errors_left_out_and_reported_and_units_converted(self):
        document = {"benchmarks": [
            run("BM_Bad/7/real_time", 1.0, error_occurred=True, error_message="load failed"),
            run("BM_Ns", 500.0, "ns"),
            run("BM_S", 1.5, "s"),
        ]}
        errors = []
        results = report.parse_results(document, errors)
        self.assertNotIn("BM_Bad/7", results)
        self.assertEqual(errors, ["BM_Bad/7: load failed"])
        self.assertAlmostEqual(results["BM_Ns"].seconds, 5e-7)
        self.assertAlmostEqual(results["BM_S"].seconds, 1.5)
        self.assertEqual(results["BM_S"].amount, 1.0)  # neither bytes nor items: one call
        self.assertEqual(report.parse_results({}), {})


class GrowthTest(unittest.TestCase):
    def test_exponents(self):
        cases = [
            ((1000, 1.0), (100000, 100.0), 1.0),     # linear
            ((1000, 1.0), (100000, 10000.0), 2.0),   # quadratic
            ((1000, 2.0), (10000, 2.0), 0.0),        # constant
            ((1000, 1.0), (10000, 10 ** 1.5), 1.5),
        ]
        for small, large, expected in cases:
            self.assertAlmostEqual(report.growth_exponent(small, large), expected)

    def test_unknown_when_sizes_or_times_unusable(self):
        for small, large in [((1000, 0.0), (10000, 1.0)), ((1000, 1.0), (10000, 0.0)),
                             ((1000, 1.0), (1000, 2.0)), ((0, 1.0), (10, 1.0))]:
            self.assertIsNone(report.growth_exponent(small, large))


def results_for(program, **seconds_and_amounts):
    return {program: {key.replace("__", "/"): report.Result(s, a, 5)
                      for key, (s, a) in seconds_and_amounts.items()}}


class TableTest(unittest.TestCase):
    ROWS = (report.sized("load", "p", "L/{n}", "B/{n}", (1000, 10000, 100000), "bytes", "dbs")
            + [report.Row("calls", None, "p", "C", "R", "calls"),
               report.Row("job", 1000, "p", "J/1000", "O/1000", "items", "files"),
               report.Row("pause", 1000, "p", "J/1000", "I", "pause", "files"),
               report.Row("other", None, "q", "X", "Y", "calls")])

    def table(self, results):
        lines = report.table_lines(self.ROWS, results)
        cells = [[c.strip() for c in line.strip("|").split("|")] for line in lines]
        return lines, cells

    def test_figures_ratios_growth_and_missing_program(self):
        results = results_for(
            "p", L__1000=(0.01, 1e6), L__10000=(0.1, 1e7), L__100000=(1.0, 1e8),
            B__1000=(0.001, 1e6), B__10000=(0.01, 1e7), B__100000=(0.5, 1e8),
            C=(2e-5, 1.0), R=(1e-5, 1.0), J__1000=(0.5, 1000), O__1000=(0.05, 1000),
            I=(0.15, 1.0))
        results["p"]["J/1000"].pause_ms = 60.0
        results["p"]["I"].pause_ms = 2.0
        lines, cells = self.table(results)
        self.assertEqual(cells[0][0], "Operation")
        # Program q did not run: its row is left out.
        self.assertEqual([c[0] for c in cells[2:]], ["load"] * 3 + ["calls", "job", "pause"])
        self.assertEqual(cells[2], ["load", "1,000 dbs", "100.0 MB/s", "1,000.0 MB/s", "10.00",
                                    ""])
        self.assertEqual(cells[4][4:], ["2.00", "1.00"])  # growth on the largest size only
        self.assertEqual(cells[5], ["calls", "", "50,000 calls/s", "100,000 calls/s", "2.00", ""])
        self.assertEqual(cells[6][2:5], ["2,000 items/s", "20,000 items/s", "10.00"])
        self.assertEqual(cells[7][2:5], ["60.0 ms", "2.0 ms", "30.00"])  # pauses, not times
        # Aligned: every line as long as the header, the rule marks right-aligned columns.
        self.assertEqual({len(line) for line in lines}, {len(lines[0])})
        self.assertTrue(lines[1].startswith("|---") and lines[1].endswith(":|"))

    def test_missing_figures_read_na(self):
        results = results_for("p", L__1000=(0.01, 1e6), B__10000=(0.01, 1e7),
                              L__100000=(1.0, 1e8))
        _, cells = self.table(results)
        self.assertEqual(cells[2][3:5], ["n/a", "n/a"])  # no baseline
        self.assertEqual(cells[3][2], "n/a")             # no figure
        self.assertEqual(cells[4][5], "1.00")            # growth needs only both ends
        results = results_for("p", L__10000=(0.1, 1e7), L__100000=(1.0, 1e8))
        self.assertEqual(self.table(results)[1][4][5], "n/a")


class NotesTest(unittest.TestCase):
    def test_failures_listed_once_and_the_last_line_says_how_to_run(self):
        lines = report.notes(["BM_A/1: load failed", "BM_A/1: load failed", "x exited with 1"])
        self.assertEqual(lines[1], "Failed (their rows read n/a): BM_A/1: load failed; "
                                   "x exited with 1")
        self.assertIn("bench/run [--windows] [NAME]", lines[-1])
        self.assertFalse(any(line.startswith("Failed") for line in report.notes([])))


class ConfigParserTest(unittest.TestCase):
    def test_reads_a_control_file_as_an_ini_reader_would(self):
        text = (b":*** Trellisquest ControlFile ***\r\nOutputLog = \"index.log\"\r\n"
                b"Group1 = \"\x83\x41\x83\x76\x83\x8a\"\r\n\r\n###\r\n"
                b"[Db1]\r\nPublicName = \"\x95\x5c a=b\"\r\nGroup = 1\r\nGroup = 2\r\n"
                b"Doc = \"C:\\x.chm\"\r\n[Db2]~\r\nDoc = \"\x85\x40\"\r\n[Db1]\r\nDate = 1\r\n")
        parser = report.parse_with_configparser(text)
        self.assertEqual(parser.sections(), ["globals", "Db1", "Db2"])
        self.assertIsNone(parser["globals"][":*** trellisquest controlfile ***"])
        self.assertEqual(parser["globals"]["group1"], "\"\u30a2\u30d7\u30ea\"")
        self.assertEqual(parser["Db1"]["publicname"], "\"\u8868 a=b\"")
        self.assertEqual(parser["Db1"]["group"], "2")  # the last value wins
        self.assertEqual(parser["Db1"]["date"], "1")   # a repeated section adds to the first
        self.assertIn("\ufffd", parser["Db2"]["doc"])  # bytes cp932 lacks are replaced


# A stand-in benchmark program: writes the JSON document given in the environment of the test
# to --benchmark_out, notes its arguments, writes a small control file for --write-file.
FAKE_PROGRAM = """#!/usr/bin/env python3
import json, os, sys
name = os.path.basename(sys.argv[0])
with open(sys.argv[0] + ".args", "a") as f:
    f.write(" ".join(sys.argv[1:]) + "\\n")
if sys.argv[1:2] == ["--write-file"]:
    with open(sys.argv[3], "wb") as f:
        f.write(b"Group1 = \\"A\\"\\r\\n[Db]\\r\\nDoc = \\"C:\\\\x.chm\\"\\r\\n" * 10)
    sys.exit(0)
document = json.loads(os.environ["FAKE_" + name.upper()])
if document is None:
    sys.stderr.write("no product\\n")
    sys.exit(1)
out = [a.split("=", 1)[1] for a in sys.argv if a.startswith("--benchmark_out=")][0]
with open(out, "w") as f:
    json.dump(document, f)
"""


class MainTest(unittest.TestCase):
    """The whole report over stand-in programs: which run, what is passed to them, failures."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        sizes = [(n, 1e-3 * n / 1000) for n in (1000, 10000, 100000)]
        documents = {
            "controlfile_bench": {"benchmarks": [
                median("BM_LoadValidate/%d/real_time" % n, t * 10, "s", bytes_per_second=1e6)
                for n, t in sizes] + [
                median("BM_Baseline_ReadSplit/%d/real_time" % n, t, "s", bytes_per_second=1e7)
                for n, t in sizes]},
            "registry_bench": {"benchmarks": [median("BM_RegSetValue", 20.0, "us"),
                                              median("BM_RawUpsert", 10.0, "us")]},
            "checkjob_bench": None,
        }
        for name, document in documents.items():
            path = os.path.join(self.dir.name, name)
            with open(path, "w") as f:
                f.write(FAKE_PROGRAM)
            os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)
            os.environ["FAKE_" + name.upper()] = json.dumps(document)
            self.addCleanup(os.environ.pop, "FAKE_" + name.upper())

    def report(self, *args):
        out, err = io.StringIO(), io.StringIO()
        argv = sys.argv
        sys.argv = ["report.py", self.dir.name] + list(args)
        try:
            with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
                status = report.main()
        finally:
            sys.argv = argv
        rows = [[c.strip() for c in line.strip("|").split("|")]
                for line in out.getvalue().splitlines() if line.startswith("| ")]
        return status, rows[1:], out.getvalue()

    def arguments(self, name):
        with open(os.path.join(self.dir.name, name + ".args")) as f:
            return f.read().splitlines()

    def test_every_program_that_exists_runs_and_a_failing_one_is_named(self):
        status, rows, text = self.report()
        self.assertEqual(status, 0)
        labels = [r[0] for r in rows]
        self.assertEqual(labels.count("load + validate"), 3)
        self.assertEqual(rows[0][4], "10.00")
        self.assertEqual(rows[2][5], "1.00")
        self.assertEqual(labels.count("Python configparser"), 3)
        self.assertNotIn("n/a", [r[2] for r in rows if r[0] == "Python configparser"])
        self.assertEqual([r[4] for r in rows if r[0] == "registry SetValue"], ["2.00"])
        self.assertNotIn("check job", labels)
        self.assertIn("Failed (their rows read n/a): checkjob_bench exited with 1", text)
        # Rows of programs that ran but lack a benchmark read n/a.
        self.assertEqual([r[2] for r in rows if r[0] == "inih parse"], ["n/a"] * 3)
        benchmark_run = self.arguments("controlfile_bench")[0].split()
        for flag in ("--benchmark_repetitions=%d" % report.REPETITIONS,
                     "--benchmark_report_aggregates_only=true",
                     "--benchmark_enable_random_interleaving=true",
                     "--benchmark_out_format=json"):
            self.assertIn(flag, benchmark_run)
        self.assertEqual(len(self.arguments("controlfile_bench")), 1 + len(report.PYTHON_SIZES))

    def test_a_name_runs_a_subset_and_nothing_matching_fails(self):
        status, rows, _ = self.report("registry")
        self.assertEqual(status, 0)
        self.assertEqual([r[0] for r in rows], ["registry SetValue",
                                                "registry SetValue + flush (vs SetValue)",
                                                "registry QueryValue"])
        self.assertFalse(os.path.exists(os.path.join(self.dir.name, "controlfile_bench.args")))
        status, rows, _ = self.report("nothing")
        self.assertEqual((status, rows), (1, []))

    def test_windows_rows_follow_their_linux_rows_and_a_missing_group_is_named(self):
        windows = os.path.join(self.dir.name, "windows")
        os.mkdir(windows)
        with open(os.path.join(windows, "registry_bench.json"), "w") as f:
            json.dump({"benchmarks": [run("BM_RegQueryValue", 30.0, "us"),
                                      run("BM_Baseline_RegQueryValueExA", 20.0, "us"),
                                      run("BM_RegSetValue", 1.0, "us", error_occurred=True)]}, f)
        status, rows, text = self.report("registry", "--windows", windows)
        self.assertEqual(status, 0)
        self.assertEqual([r[0] for r in rows], [
            "registry SetValue", "registry SetValue (Wine, vs RegSetValueExA)",
            "registry SetValue + flush (vs SetValue)", "registry QueryValue",
            "registry QueryValue (Wine, vs RegQueryValueExA)"])
        self.assertEqual((rows[1][2], rows[4][4]), ("n/a", "1.50"))
        self.assertIn("Windows registry_bench: BM_RegSetValue: failed", text)
        _, rows, text = self.report("--windows", windows)
        self.assertIn("Windows manager_bench:", text)
        self.assertNotIn("load + validate (Wine)", [r[0] for r in rows])


if __name__ == "__main__":
    unittest.main()
