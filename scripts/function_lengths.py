#!/usr/bin/env python3
"""Prints the length in lines of every function defined below the given folders (default src and
tools): the median, the 90th percentile and the longest, and each function longer than the limit
(--max, 60). Exits with 1 when there is one. The functions and their ends come from Universal
Ctags."""
import argparse
import pathlib
import statistics
import subprocess
import sys

root = pathlib.Path(__file__).resolve().parent.parent
parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("folders", nargs="*", default=["src", "tools"])
parser.add_argument("--max", type=int, default=60)
args = parser.parse_args()
tags = subprocess.run(
    ["ctags", "-R", "--languages=C++,C", "--kinds-C++=f", "--kinds-C=f", "--fields=+ne",
     "--extras=-F", "--sort=no", "-o", "-"] + args.folders,
    cwd=root, capture_output=True, text=True, check=True).stdout
lengths = []
for line in tags.splitlines():
    fields = line.split("\t")
    extra = dict(f.split(":", 1) for f in fields[3:] if ":" in f)
    if "line" in extra and "end" in extra:
        n = int(extra["end"]) - int(extra["line"]) + 1
        lengths.append((n, f"{fields[1]}:{extra['line']} {fields[0]}"))
if not lengths:
    sys.exit("no functions found")
values = sorted(n for n, _ in lengths)
p90 = values[min(len(values) - 1, int(0.9 * len(values)))]
print(f"functions {len(values)}: median {statistics.median(values)}, p90 {p90}, max {values[-1]}")
long = sorted((item for item in lengths if item[0] > args.max), reverse=True)
for n, where in long:
    print(f"  {n:4} {where}")
sys.exit(1 if long else 0)
