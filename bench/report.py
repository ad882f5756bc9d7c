#!/usr/bin/env python3
"""Runs the benchmark programs and prints one table of their figures.

Every figure stands next to the baseline its program measured in the same run, with the ratio
of their times and, for operations measured at several sizes, the growth exponent from the
smallest to the largest size. The table is plain text with aligned columns and is also valid
Markdown.

    bench/report.py BENCH_DIR [NAME]    (NAME: run only the programs whose name contains it)
"""

import argparse
import configparser
import json
import math
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

REPETITIONS = 5
PYTHON_SIZES = (1000, 10000, 100000)
PYTHON_REPETITIONS = {1000: 5, 10000: 5, 100000: 1}

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


class Row:
    """One line of the table: an operation at one size against its baseline.

    kind says how the figure is shown: "bytes" as MB/s, "items" as items per second (the
    amount is the size), "calls" as calls per second (one per iteration), "pause" as the
    longest pause of the user's thread (the largest ui_pause_ms of the repetitions).
    """

    def __init__(self, label, size, program, figure, baseline, kind, unit=""):
        self.label = label
        self.size = size
        self.program = program
        self.figure = figure
        self.baseline = baseline
        self.kind = kind
        self.unit = unit


def sized(label, program, figure, baseline, sizes, kind, unit):
    return [Row(label, n, program, figure.format(n=n), baseline.format(n=n), kind, unit)
            for n in sizes]


DB_SIZES = (1000, 10000, 100000)
ROWS = (
    sized("load + validate", "controlfile_bench", "BM_LoadValidate/{n}",
          "BM_Baseline_ReadSplit/{n}", DB_SIZES, "bytes", "dbs")
    + sized("full-form write", "controlfile_bench", "BM_Write/{n}/1",
            "BM_Baseline_Fwrite/{n}/1", DB_SIZES, "bytes", "dbs")
    + sized("builder-form write", "controlfile_bench", "BM_Write/{n}/0",
            "BM_Baseline_Fwrite/{n}/0", DB_SIZES, "bytes", "dbs")
    + sized("inih parse", "controlfile_bench", "BM_InihParse/{n}",
            "BM_Baseline_ReadSplit/{n}", DB_SIZES, "bytes", "dbs")
    + sized("Python configparser", "controlfile_bench", "Python_ConfigParser/{n}",
            "BM_Baseline_ReadSplit/{n}", PYTHON_SIZES, "bytes", "dbs")
    + [Row("tqctl convert", 100000, "convert_bench", "BM_TqctlConvert/100000",
           "BM_Baseline_ConvertIo/100000", "bytes", "dbs"),
       Row("tqcustomize open until listed (vs tqctl list)", 10000, "customize_bench",
           "BM_TqcustomizeOpen/10000", "BM_Baseline_TqctlList/10000", "items", "dbs")]
    + sized("AddAppli", "manager_bench", "BM_AddApplications/{n}",
            "BM_Baseline_PlainRecords/{n}", (1000, 10000), "items", "apps")
    + [Row("save after one change", 10000, "manager_bench", "BM_SaveAfterOneChange/10000",
           "BM_Baseline_ReadSplit/10000", "bytes", "dbs"),
       Row("save after one change (vs registry flushes off)", 10000, "manager_bench",
           "BM_SaveAfterOneChange/10000", "BM_SaveAfterOneChangeUnflushed/10000", "bytes", "dbs"),
       Row("registry SetValue", None, "registry_bench", "BM_RegSetValue", "BM_RawUpsert",
           "calls"),
       Row("registry SetValue + flush (vs SetValue)", None, "registry_bench",
           "BM_RegSetValueFlushed", "BM_RegSetValue", "calls"),
       Row("registry QueryValue", None, "registry_bench", "BM_RegQueryValue", "BM_RawSelect",
           "calls"),
       Row("check job", 1000, "checkjob_bench", "BM_CheckJob/1000",
           "BM_Baseline_OpenRead/1000", "items", "files"),
       Row("check job, wait dialog", 1000, "checkjob_bench", "BM_CheckJobInWaitDialog/1000",
           "BM_CheckJob/1000", "items", "files"),
       Row("UI thread's longest pause", 1000, "checkjob_bench",
           "BM_CheckJobInWaitDialog/1000", "BM_Baseline_IdleLoop", "pause", "files")]
    + sized("file list fill, list view", "filelist_bench", "BM_FillList/{n}",
            "BM_Baseline_EntryInfoList/{n}", (1000, 10000), "items", "files")
    + sized("file list fill, details", "filelist_bench", "BM_FillDetails/{n}",
            "BM_Baseline_EntryInfoList/{n}", (1000, 10000), "items", "files")
    + [Row("file list fill, UI thread's longest pause", 100000, "filelist_bench",
           "BM_FillList/100000", "BM_Baseline_FillInOneGo/100000", "pause", "files")]
    + [Row("file list sort, key %d" % key, 10000, "filelist_bench", "BM_Sort/10000/%d" % key,
           "BM_Baseline_StdSort/10000", "items", "rows") for key in range(1, 11)]
)

# The rows windows_bench gives (scripts/windows.sh --bench writes its JSON, one file a group named
# after the Linux program it mirrors), each with the label of the Linux rows it goes after. Its
# registry rows are set against the system's own calls, which the key's methods make.
WINDOWS_ROWS = tuple(
    (r.label, Row(r.label + " (Wine)", r.size, "windows:" + r.program, r.figure, r.baseline,
                  r.kind, r.unit))
    for r in ROWS if r.label in ("load + validate", "full-form write", "save after one change",
                                 "check job", "check job, wait dialog",
                                 "UI thread's longest pause",
                                 "file list fill, UI thread's longest pause")
) + tuple(
    ("registry %s" % call, Row("registry %s (Wine, vs Reg%sExA)" % (call, call), None,
                               "windows:registry_bench", "BM_Reg" + call,
                               "BM_Baseline_Reg%sExA" % call, "calls"))
    for call in ("SetValue", "QueryValue")
) + tuple(
    (label, Row(label + " (Wine, vs FindFirstFileW)", n, "windows:filelist_bench",
                figure % n, "BM_Baseline_FindFiles/%d" % n, "items", "files"))
    for label, figure in (("file list fill, list view", "BM_FillList/%d"),
                          ("file list fill, details", "BM_FillDetails/%d"))
    for n in (1000, 10000, 100000)
) + (
    # Under Wine the system's first search call reads the whole folder: the fill's first piece
    # cannot be shorter than that call.
    ("file list fill, UI thread's longest pause",
     Row("file list fill, UI thread's longest pause (Wine, vs the first FindFirstFileW)", 100000,
         "windows:filelist_bench", "BM_FillList/100000", "BM_Baseline_FirstFind/100000", "pause",
         "files")),)


def with_windows_rows(rows, windows_rows):
    """rows, each operation's Windows rows right after its last Linux row."""
    merged = []
    for i, row in enumerate(rows):
        merged.append(row)
        if i + 1 == len(rows) or rows[i + 1].label != row.label:
            merged += [w for label, w in windows_rows if label == row.label]
    return merged


PROGRAMS = ("controlfile_bench", "convert_bench", "customize_bench", "manager_bench",
            "registry_bench", "checkjob_bench", "filelist_bench")


class Result:
    """The median of one benchmark's repetitions: seconds per iteration and the amount one
    iteration handles (bytes or items; 1 when the benchmark counts neither); pause_ms, the
    largest ui_pause_ms of the repetitions, or None."""

    def __init__(self, seconds, amount, repetitions, pause_ms=None):
        self.seconds = seconds
        self.amount = amount
        self.repetitions = repetitions
        self.pause_ms = pause_ms


def benchmark_key(run_name):
    """"BM_Write/1000/1/min_time:0.300/real_time" -> "BM_Write/1000/1": the name and its
    arguments, without the options Google Benchmark appends."""
    parts = run_name.split("/")
    return "/".join([parts[0]] + [p for p in parts[1:] if p.lstrip("-").isdigit()])


def parse_results(document, errors=None):
    """The results of a Google Benchmark JSON document, by benchmark_key. Repeated runs are
    reduced to their median here (the median aggregate when the program wrote one). Runs that
    failed are left out; errors (a list) receives "key: message" for each."""
    runs = {}
    medians = {}
    pauses = {}
    for b in document.get("benchmarks", []):
        if b.get("error_occurred"):
            if errors is not None:
                errors.append("%s: %s" % (benchmark_key(b.get("run_name", b["name"])),
                                          b.get("error_message", "failed")))
            continue
        key = benchmark_key(b.get("run_name", b["name"]))
        # The longest pause of any repetition: each run's own, or the "max" aggregate.
        if "ui_pause_ms" in b and b.get("aggregate_name", "max") == "max":
            pauses[key] = max(pauses.get(key, 0.0), b["ui_pause_ms"])
        seconds = b["real_time"] * UNIT_SECONDS[b.get("time_unit", "ns")]
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians[key] = (seconds, b)
            continue
        runs.setdefault(key, []).append((seconds, b))
    results = {}
    for key, samples in runs.items():
        seconds = statistics.median(s for s, _ in samples)
        first_seconds, first = samples[0]
        results[key] = Result(seconds, amount_of(first, first_seconds), len(samples))
    for key, (seconds, b) in medians.items():
        count = b.get("repetitions", len(runs.get(key, ())))
        results[key] = Result(seconds, amount_of(b, seconds), count)
    for key, pause_ms in pauses.items():
        if key in results:
            results[key].pause_ms = pause_ms
    return results


def amount_of(sample, seconds):
    """Bytes or items one iteration handles, from the rate the benchmark reported."""
    for rate in ("bytes_per_second", "items_per_second"):
        if rate in sample and seconds:
            return sample[rate] * seconds
    return 1.0


def growth_exponent(small, large):
    """log(t_large / t_small) / log(n_large / n_small): 1.0 is linear; None when unknown.
    small and large are (size, seconds)."""
    (n_small, t_small), (n_large, t_large) = small, large
    if n_small <= 0 or n_large <= n_small or t_small <= 0 or t_large <= 0:
        return None
    return math.log(t_large / t_small) / math.log(n_large / n_small)


def format_rate(result, kind):
    if result is None or (kind == "pause" and result.pause_ms is None):
        return "n/a"
    if kind == "pause":
        return "{:,.1f} ms".format(result.pause_ms)
    if kind == "bytes":
        return "{:,.1f} MB/s".format(result.amount / result.seconds / 1e6)
    per_second = (result.amount if kind == "items" else 1.0) / result.seconds
    return "{:,.0f} {}/s".format(per_second, "items" if kind == "items" else "calls")


def format_size(row):
    return "" if row.size is None else "{:,} {}".format(row.size, row.unit)


def table_lines(rows, results):
    """The table as lines: one per row whose program ran. results maps program -> {key:
    Result}. Growth appears on the largest size of an operation measured at several sizes."""
    cells = []
    for i, row in enumerate(rows):
        if row.program not in results:
            continue
        found = results[row.program]
        figure = found.get(row.figure)
        baseline = found.get(row.baseline)
        ratio = ratio_cell(row, figure, baseline)
        cells.append([row.label, format_size(row), format_rate(figure, row.kind),
                      format_rate(baseline, row.kind), ratio,
                      growth_cell(rows, i, found)])
    header = ["Operation", "Size", "Figure (median)", "Baseline (same run)", "Ratio", "Growth"]
    right = [False, True, True, True, True, True]
    widths = [max(len(c[k]) for c in cells + [header]) for k in range(len(header))]

    def line(values):
        padded = [v.rjust(w) if r else v.ljust(w) for v, w, r in zip(values, widths, right)]
        return "| " + " | ".join(padded) + " |"

    rule = "|" + "|".join(("-" * (w + 1) + ":") if r else ("-" * (w + 2))
                          for w, r in zip(widths, right)) + "|"
    return [line(header), rule] + [line(c) for c in cells]


def ratio_cell(row, figure, baseline):
    """Figure / baseline: of their times, or of their pauses for a "pause" row."""
    if figure is None or baseline is None:
        return "n/a"
    if row.kind != "pause":
        return "%.2f" % (figure.seconds / baseline.seconds)
    if figure.pause_ms is None or not baseline.pause_ms:
        return "n/a"
    return "%.2f" % (figure.pause_ms / baseline.pause_ms)


def growth_cell(rows, i, found):
    """The growth exponent on the last row of a group of rows of one operation, else ""."""
    row = rows[i]
    group = [r for r in rows if r.label == row.label and r.size is not None]
    if len(group) < 2 or row is not group[-1]:
        return ""
    small, large = found.get(group[0].figure), found.get(row.figure)
    if small is None or large is None:
        return "n/a"
    exponent = growth_exponent((group[0].size, small.seconds), (row.size, large.seconds))
    return "n/a" if exponent is None else "%.2f" % exponent


def run_program(path, repetitions, errors):
    """Runs one benchmark program; its results by key, or None when it failed. errors receives
    what went wrong."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        command = [path, "--benchmark_repetitions=%d" % repetitions,
                   "--benchmark_report_aggregates_only=true",
                   "--benchmark_enable_random_interleaving=true",
                   "--benchmark_out=" + out.name, "--benchmark_out_format=json"]
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              text=True)
        if done.returncode != 0:
            sys.stderr.write(done.stderr)
            errors.append("%s exited with %d" % (os.path.basename(path), done.returncode))
            return None
        with open(out.name, encoding="utf-8") as f:
            return parse_results(json.load(f), errors)


def parse_with_configparser(data):
    """The control file's text read the way an INI reader in Python would: decoded as code
    page 932 (undecodable bytes replaced), a section header put before the global lines, "="
    the only separator, lines without one kept as names without value, no interpolation,
    repeated sections and names allowed (the last value wins)."""
    parser = configparser.ConfigParser(strict=False, interpolation=None, delimiters=("=",),
                                       allow_no_value=True)
    parser.read_string("[globals]\n" + data.decode("cp932", errors="replace"))
    return parser


def time_configparser(bench_dir, workdir):
    """Median seconds and bytes of the configparser load, read from the disk included, of the
    generated file of each size, by key."""
    results = {}
    for n in PYTHON_SIZES:
        path = os.path.join(workdir, "python%d.ctl" % n)
        subprocess.run([os.path.join(bench_dir, "controlfile_bench"), "--write-file", str(n),
                        path], check=True)
        times = []
        for _ in range(PYTHON_REPETITIONS[n]):
            start = time.perf_counter()
            with open(path, "rb") as f:
                parse_with_configparser(f.read())
            times.append(time.perf_counter() - start)
        results["Python_ConfigParser/%d" % n] = Result(
            statistics.median(times), os.path.getsize(path), len(times))
        os.remove(path)
    return results


def machine():
    model = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, Linux %s" % (model, os.cpu_count() or 0, platform.release())


def notes(errors, windows=False):
    """The lines under the table: failures first, then what the columns mean, the baselines,
    the alternatives, the Windows rows when there are, and last the machine and how to run the
    report."""
    lines = [""]
    if errors:
        unique = list(dict.fromkeys(errors))
        lines.append("Failed (their rows read n/a): " + "; ".join(unique))
    lines += [
        "Figure: median of %d repetitions (3 for the files of 100,000 databases, one run for "
        "Python at that size; the conversion runs once a repetition), the repetitions of figures "
        "and baselines interleaved in random order so that changes in the machine's load weigh on"
        " both alike. Each operation runs once untimed first, and freed memory stays in the "
        "process between runs (TQ_BENCH_FRESH_MEMORY=1 gives every run fresh memory, as a new "
        "host process has it). Baseline, measured in the same "
        "process run as its figure: the file read and its lines split with memchr (load, inih, "
        "save); fwrite of the same bytes plus the writer's flushes (writes); read+split of the "
        "base control file plus fwrite+flush of the files the conversion writes (tqctl convert, "
        "timed from the process's start to its exit); tqctl list on the same product (tqcustomize "
        "open, timed from the process's start until its list is shown); the same strings stored "
        "in plain vectors "
        "(AddAppli); the raw SQLite upsert and SELECT (registry); open+read of the same 1,000 "
        "files (check job); the same job without a dialog (check job, wait dialog); the longest "
        "pause of an idle event loop with the same timer (UI thread's longest pause: the "
        "longest time between two turns of the wait dialog's event loop, a timer of 0 ms "
        "stamping each turn, the largest of all repetitions)." % REPETITIONS,
        "Ratio: figure time / baseline time (1.0 = as fast as the baseline). Growth: "
        "log(t_large/t_small)/log(n_large/n_small) over the operation's sizes; 1.0 is linear, "
        "below 1.0 fixed costs (such as the flushes of a write) weigh on the small sizes.",
        "inih: ini_parse on the same file, a handler copying every section, name and value. "
        "Python configparser: file read, decoded as cp932 (errors replaced), a section header "
        "put first, \"=\" the only delimiter, no interpolation, strict=False; its baseline is "
        "the C++ read+split of the same file from this run of controlfile_bench.",
    ]
    if windows:
        lines.append(
            "(Wine): windows_bench.exe, the same sources cross-built with MinGW-w64 in Release, "
            "run under Wine on this machine in the same bench/run; every figure against the "
            "baseline of its Linux row measured in the same process on that side (the registry's "
            "against the system's RegSetValueExA and RegQueryValueExA on the same key, which "
            "the key's methods call; the UI thread's pause stamped by a thread timer of the "
            "system's shortest period, 10 ms, in the wait dialog's loop and in a plain idle "
            "message loop); its own loop times them: every operation once untimed, "
            "then repetitions interleaved, each repeating the operation for at least 0.3 s.")
    lines += [
        "Figures hold for this machine under its load at the time (%s, %s UTC); compare ratios, "
        "not absolute figures, across machines. Run: bench/run [--windows] [NAME] (NAME: "
        "programs whose name contains it, e.g. controlfile, convert, customize, manager, "
        "registry, checkjob; --windows: the rows of the Windows build under Wine too)."
        % (machine(), time.strftime("%Y-%m-%d %H:%M", time.gmtime())),
    ]
    return lines


def read_windows_results(directory, name, errors):
    """The results of windows_bench by "windows:" + the Linux program its group mirrors."""
    results = {}
    for program in sorted({row.program for _, row in WINDOWS_ROWS}):
        linux_name = program.split(":", 1)[1]
        if name not in linux_name:
            continue
        failures = []
        try:
            with open(os.path.join(directory, linux_name + ".json"), encoding="utf-8") as f:
                results[program] = parse_results(json.load(f), failures)
        except (OSError, ValueError) as e:
            failures.append(str(e))
        errors += ["Windows %s: %s" % (linux_name, f) for f in failures]
    return results


def main():
    args = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    args.add_argument("bench_dir")
    args.add_argument("name", nargs="?", default="")
    args.add_argument("--windows", metavar="DIR",
                      help="add the rows of windows_bench, whose JSON files are in DIR")
    options = args.parse_args()
    results = {}
    errors = []
    for program in PROGRAMS:
        path = os.path.join(options.bench_dir, program)
        if options.name not in program or not os.path.exists(path):
            continue
        sys.stderr.write("running %s ...\n" % program)
        found = run_program(path, REPETITIONS, errors)
        if found is None:
            continue
        if program == "controlfile_bench":
            with tempfile.TemporaryDirectory(prefix="tq-bench-py.") as workdir:
                found.update(time_configparser(options.bench_dir, workdir))
        results[program] = found
    if options.windows:
        results.update(read_windows_results(options.windows, options.name, errors))
    if not results:
        sys.stderr.write("no benchmark program matched or ran\n")
        return 1
    print("\n".join(table_lines(with_windows_rows(ROWS, WINDOWS_ROWS), results)
                    + notes(errors, options.windows is not None)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
