#!/usr/bin/env python3
"""Measures how many faults the test suite catches, with a fixed, seeded sample of mutants.

A mutant is one small change to one place of src/: a comparison made strict or loose (< <=,
> >=), an equality turned round (== !=), && and || swapped, + and - swapped, a condition negated,
an integer constant off by one, a statement removed, a returned value replaced. For each mutant
of the sample the script changes the file in place, rebuilds what depends on it in a build tree
of its own (Debug at -O0, without debug information, warnings not fatal), runs the test programs
that cover the mutated folder with a timeout and --gtest_fail_fast, and restores the file.

  killed    a test program fails, crashes or runs out of time
  survived  every covering test program passes
  invalid   the mutant does not build (not counted in the score)

The score is killed / (killed + survived). The sample depends only on the contents of src/ and
on the seed, never on the tests, so the same sample measures a suite before and after a change
of its tests. Every folder of src/ gets mutants in proportion to its code lines; within a folder
every mutable place is equally likely. Comments, string and character literals, preprocessor
lines and generated code (scripts/gen_strings.py's output) are never mutated.

Usage:
  scripts/mutants.py --list                          print the sample
  nice -n 19 scripts/mutants.py --out R.jsonl        run it (results appended, one JSON a line)
  scripts/mutants.py --out R.jsonl --resume          go on where an interrupted run stopped
  scripts/mutants.py --ids R.jsonl --only killed --out S.jsonl   run again what R killed
  scripts/mutants.py --matrix --out R.jsonl          every test that catches each mutant
  scripts/mutants.py --summary R.jsonl               print the summary of a results file
  scripts/mutants.py --compare BEFORE.jsonl AFTER.jsonl   mutants killed before, not after

The file being mutated is always restored, also on Ctrl-C or SIGTERM (stop a run with kill PID,
not kill -9); after a hard kill, the next run or --restore puts it back from the copy kept in
the build tree. At the end the script checks with git that src/ is as it was.
"""

import argparse
import bisect
import json
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

DEFAULT_ROOT = Path(__file__).resolve().parent.parent

# Which test programs run against a mutant of each folder, in the order they run (the folder's
# own tests first: they kill most mutants soonest). A folder's own program is not enough: the
# layers above test much of it through their own operations, so each row adds the programs of
# the code that calls it, as far as that code is tested in process:
#   platform      every layer stands on it; the manager's tests drive the registry and the
#                 files, the frame's the in-process server, the tools' the processes, the
#                 prefix and the registry files from the outside.
#   resources     the texts and codes reach users through the reader, the log, the editors and
#                 the message table; the error codes are also checked by the generated-table
#                 check (scripts/gen_strings.py --check).
#   controlfile   the manager loads and saves through it, the editors and the automation object
#                 on top of the manager.
#   manager       the control file's path rules live here; the editors and the automation
#                 object load and save through it.
#   applications  the automation object's operations, tqctl's application commands and the
#                 dialogs' checks of what the user typed.
#   browse        the dialogs' file page and location box are built on it.
#   frame         the tools drive the automation object as a host does; its message table is
#                 generated.
#   tqfltr2       the topic check loads the library as the component does.
# The reliability campaigns (tq_reliability_tests) are left out by default: a mutant that
# survives costs about 30 s without them and 85 s with them (a control-file mutant, measured),
# their kill points and interleavings depend on timing, so a run would not repeat itself, and in
# a pilot of 15 mutants run against every program they killed none that the programs below
# missed. --reliability adds them to the folders whose saves they exercise;
# --all-programs checks this table.
COVERAGE = {
    "platform": ["platform", "manager", "frame", "tools"],
    "resources": ["resources", "controlfile", "applications", "frame"],
    "controlfile": ["controlfile", "manager", "applications", "frame"],
    "manager": ["manager", "controlfile", "applications", "frame"],
    "applications": ["applications", "frame", "tools", "dialogs"],
    "browse": ["browse", "dialogs"],
    "frame": ["frame", "tools"],
    "tqfltr2": ["tqfltr2", "applications"],
}
RELIABILITY_FOLDERS = {"controlfile", "manager", "applications", "frame"}
# The generated string tables are guarded by a check of their own (a CTest test, not a program).
GEN_CHECK_FOLDERS = {"resources", "frame"}
GEN_CHECK = "gen_strings.py --check"
# Test programs that start the tools as processes need them built from the mutated sources.
TOOL_TARGETS = ["tqctl", "tqreg"]
TOOL_USERS = {"tools", "reliability"}

CMAKE_OPTIONS = [
    "-G", "Ninja",
    "-DCMAKE_BUILD_TYPE=Debug",
    "-DCMAKE_C_FLAGS_DEBUG=-O0 -g0",
    "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0",
    "-DTQ_WERROR=OFF",
    "-DTQ_BUILD_TESTS=ON",
    "-DTQ_SANITIZE=OFF",
    # A shared library rebuilt for a mutant does not make its users link again, and the core
    # is one: a mutant of a .cc file costs one object, one library and the test runs.
    "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON",
    "-DTQ_CORE_SHARED=ON",
    # No test listing after each link: a mutant that breaks a program's start must count as
    # killed when the program runs, not as a failed build.
    "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST",
]

# ---------------------------------------------------------------------------------------------
# Reading the sources


def mask_code(text):
    """The text with comments, string and character literals and preprocessor lines blanked.

    Line breaks stay, so that offsets, lines and columns of the result are those of the text."""
    out = list(text)
    n = len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    i = 0
    line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r\f":
            i += 1
            continue
        if line_start and c == "#":
            e = i
            while True:
                e = text.find("\n", e)
                if e == -1:
                    e = n
                    break
                if text[e - 1] == "\\":
                    e += 1
                    continue
                break
            blank(i, e)
            i = e
            continue
        line_start = False
        if text.startswith("//", i):
            e = text.find("\n", i)
            e = n if e == -1 else e
            blank(i, e)
            i = e
            continue
        if text.startswith("/*", i):
            e = text.find("*/", i + 2)
            e = n if e == -1 else e + 2
            blank(i, e)
            i = e
            continue
        m = RAW_STRING.match(text, i)
        if m and (i == 0 or not IDENT_CHAR.match(text[i - 1])):
            e = text.find(")" + m.group(1) + '"', m.end())
            e = n if e == -1 else e + len(m.group(1)) + 2
            blank(i, e)
            i = e
            continue
        if c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i, min(j + 1, n))
            i = j + 1
            continue
        i += 1
    return "".join(out)


RAW_STRING = re.compile(r'(?:u8|u|U|L)?R"([^()\\\s]{0,16})\(')
IDENT_CHAR = re.compile(r"\w")
GENERATED_FILE = re.compile(r"\A(?://[^\n]*\n)*?// Generated by ")
BEGIN_GENERATED = "// BEGIN GENERATED"
END_GENERATED = "// END GENERATED"


def mask_generated(text, masked):
    """Blanks the generated regions (between the generator's markers) of a masked text."""
    out = masked
    pos = 0
    while True:
        b = text.find(BEGIN_GENERATED, pos)
        if b == -1:
            return out
        e = text.find(END_GENERATED, b)
        e = len(text) if e == -1 else e
        out = out[:b] + re.sub(r"[^\n]", " ", out[b:e]) + out[e:]
        pos = e + 1


# ---------------------------------------------------------------------------------------------
# Finding the mutable places

# Binary operators are told from template brackets, references and unary signs by the spaces
# around them, which the project's formatting always puts around a binary operator.
BINARY = re.compile(r"(?<= )(<=|>=|<|>|==|!=|&&|\|\||\+=|-=|\+|-)(?= )")
SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
        "||": "&&", "+": "-", "-": "+", "+=": "-=", "-=": "+="}
BINARY_OP = {"<": "cmp", "<=": "cmp", ">": "cmp", ">=": "cmp", "==": "eq", "!=": "eq",
             "&&": "logic", "||": "logic", "+": "arith", "-": "arith", "+=": "arith",
             "-=": "arith"}
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|0[bB][01']+|\d[\d']*)([uUlLzZ]*)(?![\w.'])")
PURE_VIRTUAL = re.compile(r"\)[\w\s]*=\s*$")
CONDITION = re.compile(r"\b(if|while)\s*\(")
STRINGISH = re.compile(r'(?:"|\bstr[A-Z]\w*|\bstd::string\b|\bstd::to_string\b)')
KEYWORDS = {
    "if", "while", "for", "switch", "return", "static_assert", "sizeof", "decltype", "alignof",
    "throw", "delete", "new", "else", "do", "case", "default", "goto", "break", "continue",
    "using", "typedef", "co_return", "template", "typename", "struct", "class", "enum", "union",
    "namespace", "extern", "static", "const", "constexpr", "auto", "void", "try", "catch",
}
# An expression statement whose removal is a mutant: a call, an assignment or an increment.
ACCESS = r"[A-Za-z_]\w*(?:(?:::|\.|->)~?[A-Za-z_]\w*|\[[^\]]*\]|\([^()]*\)(?=\s*(?:\.|->)))*"
STATEMENT = re.compile(
    r"(?:\*\s*)?" + ACCESS + r"\s*(?:<[\w:, ]*>\s*)?"
    r"(?:\(.*\)|(?:=|\+=|-=|\*=|/=|%=|&=|\|=|\^=|<<=|>>=)\s*\S.*|\+\+|--)"
    r"|(?:\+\+|--)" + ACCESS,
    re.S)
# Returned values that are already the zero value of their type get a non-zero one instead.
ZERO_VALUES = {"0", "0u", "0U", "nullptr", "{}", "false", "NULL", "TQ_OK", "ERROR_SUCCESS",
               "S_OK", "NOERROR"}
BODY_WORDS = {"const", "noexcept", "override", "final", "mutable", "else", "do", "try"}
AFTER_PAREN = re.compile(
    r"[)\]]\s*(?:(?:const|noexcept|override|final|mutable)\s*|->\s*[\w:<>, *&]+?\s*)*$")


def brace_kinds(masked):
    """Classifies every '{' of a masked text: 'body' (a function body or a block of one),
    'init' (a braced initializer in a body) or 'scope' (namespace, class, enum, initializer
    outside a body). Returns {offset: kind}."""
    kinds = {}
    stack = []
    for i, c in enumerate(masked):
        if c == "{":
            before = masked[max(0, i - 300):i].rstrip()
            word = re.search(r"(\w+)$", before)
            parent = stack[-1] if stack else "scope"
            if AFTER_PAREN.search(before) or (word and word.group(1) in BODY_WORDS):
                kind = "body"
            elif parent == "body" and (not before or before[-1] in ";{}"
                                       or (before[-1] == ":" and before[-2:] != "::")):
                kind = "body"
            elif parent == "body":
                kind = "init"
            else:
                kind = "scope"
            kinds[i] = kind
            stack.append(kind)
        elif c == "}" and stack:
            stack.pop()
    return kinds


def statement_starts(masked, kinds):
    """Offsets where a statement of a function body may begin."""
    starts = set()
    stack = []  # (kind, paren depth outside the brace)
    depth = 0
    n = len(masked)

    def next_code(j):
        while j < n and masked[j].isspace():
            j += 1
        return j

    for i, c in enumerate(masked):
        if c in "([":
            depth += 1
        elif c in ")]":
            depth -= 1
        elif c == "{":
            stack.append((kinds.get(i, "scope"), depth))
            depth = 0
            if stack[-1][0] == "body":
                starts.add(next_code(i + 1))
        elif c == "}":
            if stack:
                depth = stack.pop()[1]
            if stack and stack[-1][0] == "body" and depth == 0:
                starts.add(next_code(i + 1))
        elif c == ";" and stack and stack[-1][0] == "body" and depth == 0:
            starts.add(next_code(i + 1))
    # The statement of an if, while or for without braces, and of an else.
    for m in re.finditer(r"\b(if|while|for)\s*\(", masked):
        close = matching_paren(masked, m.end() - 1)
        if close is not None:
            j = next_code(close + 1)
            if j < n and masked[j] not in "{;":
                starts.add(j)
    for m in re.finditer(r"\belse\b", masked):
        j = next_code(m.end())
        if j < n and masked[j] != "{" and not masked.startswith("if", j):
            starts.add(j)
    return sorted(s for s in starts if s < n)


def matching_paren(masked, open_pos):
    depth = 0
    for j in range(open_pos, len(masked)):
        if masked[j] == "(":
            depth += 1
        elif masked[j] == ")":
            depth -= 1
            if depth == 0:
                return j
    return None


def statement_end(masked, start):
    """Offset of the ';' ending the statement that begins at start, or None when the text
    there is not one simple statement (a block ends first, or a brace opens a body)."""
    depth = 0
    for j in range(start, len(masked)):
        c = masked[j]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth < 0:
                return None
        elif c == ";" and depth == 0:
            return j
    return None


def strip_label(masked, start):
    """Skips case and default labels in front of a statement."""
    while True:
        m = re.match(r"(?:case\b|default\b)", masked[start:])
        if not m:
            return start
        j = start + m.end()
        while j < len(masked):
            if masked[j] == ":" and masked[j + 1:j + 2] != ":" and masked[j - 1] != ":":
                break
            j += 1
        else:
            return start
        start = j + 1
        while start < len(masked) and masked[start].isspace():
            start += 1


def integer_variants(literal, suffix):
    digits = literal.replace("'", "")
    if digits[:2] in ("0x", "0X"):
        value, fmt = int(digits, 16), "hex"
    elif digits[:2] in ("0b", "0B"):
        value, fmt = int(digits, 2), "bin"
    elif len(digits) > 1 and digits[0] == "0":
        value, fmt = int(digits, 8), "oct"
    else:
        value, fmt = int(digits), "dec"
    out = []
    for v in (value + 1, value - 1):
        if v < 0:
            continue
        if fmt == "hex":
            body = format(v, "x").rjust(len(digits) - 2, "0")
            text = digits[:2] + (body.upper() if any(ch in "ABCDEF" for ch in digits) else body)
        elif fmt == "bin":
            text = digits[:2] + format(v, "b")
        elif fmt == "oct":
            text = "0" + format(v, "o")
        else:
            text = str(v)
        out.append(text + suffix)
    return out


def find_sites(path, text):
    """The mutable places of one source file: a list of dicts with the offset, the operator,
    the original text and the possible replacements."""
    masked = mask_generated(text, mask_code(text))
    sites = []

    def add(start, end, op, variants):
        sites.append({"start": start, "end": end, "op": op, "original": text[start:end],
                      "variants": variants})

    for m in BINARY.finditer(masked):
        tok = m.group(1)
        if tok in ("+", "-", "+=", "-="):
            left = masked[max(0, m.start() - 80):m.start()].split("\n")[-1]
            right = masked[m.end():m.end() + 80].split("\n")[0]
            raw_left = text[m.start() - len(left):m.start()]
            raw_right = text[m.end():m.end() + len(right)]
            # String concatenation would only give a mutant that does not build.
            if STRINGISH.search(raw_left.split()[-1] if raw_left.split() else "") or \
                    STRINGISH.match(raw_right.strip()):
                continue
        add(m.start(), m.end(), BINARY_OP[tok], [SWAP[tok]])

    for m in INTEGER.finditer(masked):
        if PURE_VIRTUAL.search(masked[max(0, m.start() - 200):m.start()]):
            continue
        add(m.start(), m.end(), "const", integer_variants(m.group(1), m.group(2)))

    for m in CONDITION.finditer(masked):
        if re.match(r"\s*constexpr", masked[m.end() - 1 - 12:m.end() - 1]) or \
                masked[m.start() - 1:m.start()] == "#":
            continue
        close = matching_paren(masked, m.end() - 1)
        if close is None or ";" in masked[m.end():close]:
            continue
        inner = text[m.end():close]
        add(m.end() - 1, close + 1, "negate", ["(!(" + inner + "))"])

    kinds = brace_kinds(masked)
    for start in statement_starts(masked, kinds):
        start = strip_label(masked, start)
        end = statement_end(masked, start)
        if end is None:
            continue
        stmt = masked[start:end]
        first = re.match(r"[A-Za-z_]\w*", stmt)
        if first and first.group(0) == "return":
            expr_start = start + len("return")
            while expr_start < end and masked[expr_start].isspace():
                expr_start += 1
            if expr_start >= end:
                continue
            expr = " ".join(text[expr_start:end].split())
            if expr in ("true", "false"):
                replacement = "false" if expr == "true" else "true"
            elif expr in ZERO_VALUES:
                if expr in ("nullptr", "NULL", "{}"):
                    continue
                replacement = "-1"
            else:
                replacement = "{}"
            add(expr_start, end, "return", [replacement])
            continue
        if first and first.group(0) in KEYWORDS:
            continue
        if STATEMENT.fullmatch(" ".join(stmt.split())):
            add(start, end + 1, "stmt", [""])
    return sites, masked


def code_lines(masked):
    return sum(1 for line in masked.split("\n") if line.strip())


# ---------------------------------------------------------------------------------------------
# The sample


class Mutant:
    __slots__ = ("file", "folder", "start", "end", "line", "col", "op", "original",
                 "replacement", "id")

    def to_json(self):
        return {"id": self.id, "file": self.file, "folder": self.folder, "line": self.line,
                "col": self.col, "op": self.op, "original": self.original,
                "replacement": self.replacement}


def source_files(root):
    files = []
    for p in sorted((root / "src").rglob("*")):
        if p.suffix in (".cc", ".h") and p.is_file():
            rel = p.relative_to(root).as_posix()
            # The Windows side is not built here: its mutants would survive unseen.
            if len(Path(rel).parts) < 3 or "win32" in Path(rel).parts:
                continue
            files.append(rel)
    return files


def draw_sample(root, size, seed):
    """The sample: (list of mutants in the order they run, {folder: code lines},
    {folder: number of mutable places})."""
    per_folder = {}
    lines = {}
    for rel in source_files(root):
        text = (root / rel).read_text(encoding="utf-8", errors="surrogateescape")
        if GENERATED_FILE.match(text):
            continue
        folder = Path(rel).parts[1]
        sites, masked = find_sites(rel, text)
        starts = line_starts(text)
        lines[folder] = lines.get(folder, 0) + code_lines(masked)
        for s in sites:
            line = bisect.bisect_right(starts, s["start"])
            s.update(file=rel, folder=folder, line=line, col=s["start"] - starts[line - 1] + 1)
            per_folder.setdefault(folder, []).append(s)
    total = sum(lines.values())
    quotas = {f: size * n / total for f, n in lines.items()} if total else {}
    counts = {f: int(q) for f, q in quotas.items()}
    for f in sorted(quotas, key=lambda f: (-(quotas[f] - counts[f]), f))[:size - sum(
            counts.values())]:
        counts[f] += 1
    chosen = []
    for folder in sorted(per_folder):
        sites = sorted(per_folder[folder], key=lambda s: (s["file"], s["start"], s["op"]))
        random.Random(f"tq-mutants/{seed}/{folder}").shuffle(sites)
        for s in sites[:counts.get(folder, 0)]:
            m = Mutant()
            m.file, m.folder, m.start, m.end = s["file"], folder, s["start"], s["end"]
            m.line, m.col, m.op, m.original = s["line"], s["col"], s["op"], s["original"]
            key = f"{m.file}:{m.line}:{m.col}:{m.op}"
            m.replacement = random.Random(f"tq-mutants/{seed}/{key}").choice(s["variants"])
            short = {"negate": "!", "stmt": "del"}.get(m.op, m.replacement)
            m.id = f"{key}:{short}"
            chosen.append(m)
    # Folders interleaved, so that a partial run already measures every folder.
    random.Random(f"tq-mutants/{seed}/order").shuffle(chosen)
    return chosen, lines, {f: len(v) for f, v in per_folder.items()}


def line_starts(text):
    starts = [0]
    for i, c in enumerate(text):
        if c == "\n":
            starts.append(i + 1)
    return starts


# ---------------------------------------------------------------------------------------------
# Applying a mutant and always restoring the file


class Restorer:
    """Keeps the original of the file being mutated, in memory and in the build tree, and puts
    it back; a copy left by a hard kill is put back at the next start."""

    def __init__(self, root, build_dir):
        self.root = root
        self.pending = build_dir / "mutant-pending.json"
        self.current = None

    def recover(self):
        if self.pending.exists():
            data = json.loads(self.pending.read_text())
            path = self.root / data["file"]
            path.write_bytes(bytes.fromhex(data["original"]))
            print(f"mutants: restored {data['file']} left mutated by an earlier run",
                  file=sys.stderr)
            self.pending.unlink()

    def apply(self, mutant):
        path = self.root / mutant.file
        original = path.read_bytes()
        text = original.decode("utf-8", errors="surrogateescape")
        if text[mutant.start:mutant.end] != mutant.original:
            raise RuntimeError(f"{mutant.id}: the source is not the one sampled")
        self.pending.write_text(json.dumps({"file": mutant.file, "original": original.hex()}))
        self.current = (path, original)
        mutated = text[:mutant.start] + mutant.replacement + text[mutant.end:]
        path.write_bytes(mutated.encode("utf-8", errors="surrogateescape"))

    def restore(self):
        if self.current is None:
            return
        path, original = self.current
        path.write_bytes(original)
        if path.read_bytes() != original:
            raise RuntimeError(f"could not restore {path}")
        self.current = None
        self.pending.unlink(missing_ok=True)


def git_status(root):
    return subprocess.run(["git", "status", "--porcelain", "--", "src"], cwd=root,
                          capture_output=True, text=True, check=True).stdout


# ---------------------------------------------------------------------------------------------
# Building and running


def existing_programs(root):
    """Test folders that have a program in this tree (tests/<folder>/*_test.cc)."""
    return {p.parent.name for p in (root / "tests").glob("*/*_test.cc")}


def programs_for(folder, available, with_reliability):
    names = list(COVERAGE.get(folder, [folder]))
    if with_reliability and folder in RELIABILITY_FOLDERS:
        names.append("reliability")
    out = [n for n in names if n in available]
    if folder in GEN_CHECK_FOLDERS:
        out.insert(0, GEN_CHECK)
    return out


def build_targets(programs):
    targets = [f"tq_{p}_tests" for p in programs if p != GEN_CHECK]
    if TOOL_USERS & set(programs):
        targets += TOOL_TARGETS
    return targets


def configure(root, build_dir):
    if (build_dir / "build.ninja").exists():
        return
    cmd = ["cmake", "-S", str(root), "-B", str(build_dir)] + CMAKE_OPTIONS
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)


def build(build_dir, targets, jobs, log_path):
    cmd = ["cmake", "--build", str(build_dir), "-j", str(jobs), "--target"] + targets
    with open(log_path, "w") as log:
        rc = subprocess.run(cmd, stdout=log, stderr=subprocess.STDOUT).returncode
    return rc == 0


def first_error(log_path):
    try:
        for line in open(log_path, errors="replace"):
            if "error:" in line:
                return line.strip()[:300]
    except OSError:
        pass
    return ""


def run_program(root, build_dir, program, timeout, log_path, gtest_filter=None, fail_fast=True):
    """Runs one test program; returns (verdict, seconds, failed test): verdict is 'pass',
    'failed', 'crashed' or 'timeout'."""
    if program == GEN_CHECK:
        cmd = [sys.executable, str(root / "scripts/gen_strings.py"), "--check"]
        cwd = root
    else:
        # From the top of the build tree: the tests find the source tree through the paths of
        # their own sources, which Ninja gives relative to it.
        cmd = [str(build_dir / "tests" / f"tq_{program}_tests")]
        if fail_fast:
            cmd.append("--gtest_fail_fast")
        if gtest_filter:
            cmd.append(f"--gtest_filter={gtest_filter}")
        cwd = build_dir
    env = dict(os.environ, TQ_TOOLS_DIR=str(build_dir / "tools"))
    # No display: the widget tests choose the offscreen platform themselves, and the others test
    # the answer of a host that has none.
    for name in ("TQ_RELIABILITY_FULL", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    t0 = time.monotonic()
    with open(log_path, "w") as log:
        proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            rc = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            rc = None
        finally:
            # The test programs start processes of their own; none may outlive the run.
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            proc.wait()
    seconds = time.monotonic() - t0
    # The test that failed, or else the one that was running when the program crashed or ran
    # out of time.
    failed = running = ""
    try:
        for line in open(log_path, errors="replace"):
            m = re.match(r"\[(?: RUN      |  FAILED  )\] (\S+)", line)
            if m and line.startswith("[ RUN"):
                running = m.group(1)
            elif m and not failed and line.rstrip().endswith(")"):
                failed = m.group(1)
    except OSError:
        pass
    if rc is None:
        return "timeout", seconds, failed or running
    if rc == 0:
        return "pass", seconds, ""
    if rc < 0 or (rc != 1 and not failed):
        return "crashed", seconds, failed or running
    return "failed", seconds, failed


def failed_tests(log_path):
    """Every test a program's log names as failed, and the one running when it stopped."""
    failed, running = [], ""
    try:
        for line in open(log_path, errors="replace"):
            m = re.match(r"\[(?: RUN      |  FAILED  )\] (\S+)", line)
            if m and line.startswith("[ RUN"):
                running = m.group(1)
            elif m and line.rstrip().endswith(")") and m.group(1) not in failed:
                failed.append(m.group(1))
    except OSError:
        pass
    return failed or ([running] if running else [])


class Runner:
    def __init__(self, args, root, build_dir):
        self.args = args
        self.root = root
        self.build_dir = build_dir
        self.available = existing_programs(root)
        self.timeouts = {}
        self.log_dir = Path(str(args.out) + ".logs") if args.out else build_dir / "mutant-logs"
        self.log_dir.mkdir(parents=True, exist_ok=True)

    def programs(self, folder):
        if self.args.all_programs:
            return [GEN_CHECK] + sorted(self.available)
        return programs_for(folder, self.available, self.args.reliability)

    def check_unmutated(self, folders):
        """Builds the unmutated tree and runs every program the run needs: all must pass, and
        their times set the timeouts."""
        programs = []
        for f in folders:
            programs += [p for p in self.programs(f) if p not in programs]
        print(f"mutants: building the unmutated tree in {self.build_dir}", flush=True)
        log = self.log_dir / "unmutated-build.log"
        if not build(self.build_dir, build_targets(programs), self.args.jobs, log):
            sys.exit(f"mutants: the unmutated tree does not build; see {log}")
        for p in programs:
            verdict, seconds, failed = run_program(self.root, self.build_dir, p, None,
                                                   self.log_dir / "unmutated-run.log")
            if verdict != "pass":
                sys.exit(f"mutants: {p} does not pass on the unmutated tree ({verdict} "
                         f"{failed}); see {self.log_dir / 'unmutated-run.log'}")
            self.timeouts[p] = self.args.timeout or max(30.0, 4 * seconds + 20)
            print(f"mutants:   {p}: passes in {seconds:.1f}s, timeout "
                  f"{self.timeouts[p]:.0f}s", flush=True)

    def repeats(self, program, test, log):
        """Whether a program's failure repeats: the test that failed, alone, then if that
        passes the whole program once more. A test that fails by chance under load must not
        kill a mutant in one run and let it live in the next."""
        again = log.with_name(log.stem + "-again.log")
        if test:
            verdict, _, _ = run_program(self.root, self.build_dir, program,
                                        self.timeouts.get(program), again, test)
            if verdict != "pass":
                return True
        verdict, _, _ = run_program(self.root, self.build_dir, program,
                                    self.timeouts.get(program), again)
        return verdict != "pass"

    def run(self, mutant, restorer, index):
        rec = mutant.to_json()
        programs = self.programs(mutant.folder)
        rec["programs"] = programs
        t0 = time.monotonic()
        restorer.apply(mutant)
        try:
            log = self.log_dir / f"{index:04d}-build.log"
            ok = build(self.build_dir, build_targets(programs), self.args.jobs, log)
            rec["build_s"] = round(time.monotonic() - t0, 1)
            if not ok:
                rec["status"] = "invalid"
                rec["error"] = first_error(log)
                return rec
            log.unlink(missing_ok=True)
            rec["status"] = "survived"
            rec["flaky"] = []
            for p in programs:
                log = self.log_dir / f"{index:04d}-{p.split()[0]}.log"
                verdict, seconds, failed = run_program(self.root, self.build_dir, p,
                                                       self.timeouts.get(p), log,
                                                       fail_fast=not self.args.matrix)
                if verdict != "pass" and self.args.matrix:
                    rec.setdefault("failing", {})[p] = failed_tests(log)
                if verdict != "pass" and p != GEN_CHECK and not self.repeats(p, failed, log):
                    rec["flaky"].append(f"{p}:{verdict}:{failed}")
                    verdict = "pass"
                rec.setdefault("verdicts", {})[p] = verdict
                if verdict == "pass":
                    log.unlink(missing_ok=True)
                    continue
                if rec["status"] != "killed":
                    rec.update(status="killed", killer=p, reason=verdict, test=failed,
                               log=str(log))
                if not (self.args.all_programs or self.args.matrix):
                    break
            if not rec["flaky"]:
                del rec["flaky"]
            return rec
        finally:
            restorer.restore()
            rec["seconds"] = round(time.monotonic() - t0, 1)


# ---------------------------------------------------------------------------------------------
# Reports


def read_results(path):
    out = {}
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line:
                rec = json.loads(line)
                out[rec["id"]] = rec
    return out


def summarize(records):
    recs = list(records)
    if not recs:
        return "no results"
    samples = sorted({(r.get("sample"), r.get("seed")) for r in recs}, key=str)
    lines = ["; ".join(f"sample {n}, seed {s}" for n, s in samples) + f": {len(recs)} mutants"]
    lines.append("test programs by folder:")
    for folder in sorted({r["folder"] for r in recs}):
        progs = next(r["programs"] for r in recs if r["folder"] == folder and "programs" in r)
        lines.append(f"  {folder}: {', '.join(progs)}")

    def row(name, rs):
        killed = sum(r["status"] == "killed" for r in rs)
        survived = sum(r["status"] == "survived" for r in rs)
        invalid = sum(r["status"] == "invalid" for r in rs)
        valid = killed + survived
        score = f"{100.0 * killed / valid:5.1f}%" if valid else "    -"
        return f"{name:<14}{len(rs):>7}{invalid:>8}{valid:>7}{killed:>8}{survived:>9}  {score}"

    for title, key in (("folder", "folder"), ("operator", "op")):
        lines.append("")
        lines.append(f"{title:<14}{'mutants':>7}{'invalid':>8}{'valid':>7}{'killed':>8}"
                     f"{'survived':>9}  score")
        for name in sorted({r[key] for r in recs}):
            lines.append(row(name, [r for r in recs if r[key] == name]))
        lines.append(row("total", recs))
    times = [r["seconds"] for r in recs if "seconds" in r]
    if times:
        lines.append(f"\ntime: {sum(times) / 3600:.2f} h, {sum(times) / len(times):.1f} s a "
                     f"mutant on average (valid: "
                     f"{avg([r['seconds'] for r in recs if r['status'] != 'invalid'])} s, "
                     f"invalid: {avg([r['seconds'] for r in recs if r['status'] == 'invalid'])} s)")
    flaky = [r for r in recs if r.get("flaky")]
    if flaky:
        lines.append("failures that did not repeat (not counted): "
                     + ", ".join(f"{r['id']} {r['flaky']}" for r in flaky))
    survivors = [r for r in recs if r["status"] == "survived"]
    if survivors:
        lines.append("\nsurvived:")
        lines += [f"  {r['id']}    {one_line(r['original'])} -> {one_line(r['replacement'])}"
                  for r in survivors]
    return "\n".join(lines)


def avg(values):
    return f"{sum(values) / len(values):.1f}" if values else "-"


def one_line(s):
    s = " ".join(s.split())
    return (s[:60] + "...") if len(s) > 63 else (s or "(removed)")


def compare(before_path, after_path):
    before, after = read_results(before_path), read_results(after_path)
    lost = [i for i, r in before.items() if r["status"] == "killed"
            and after.get(i, {}).get("status") not in ("killed", None)]
    missing = [i for i, r in before.items() if i not in after]
    gained = [i for i, r in after.items() if r["status"] == "killed"
              and before.get(i, {}).get("status") == "survived"]
    kb = sum(r["status"] == "killed" for r in before.values())
    ka = sum(r["status"] == "killed" for r in after.values())
    print(f"killed before: {kb}, after: {ka}")
    for title, ids in (("killed before, not after", lost), ("killed after, not before", gained),
                       ("not run after", missing)):
        print(f"{title}: {len(ids)}")
        for i in ids:
            print(f"  {i}  ({after.get(i, {}).get('status', '-')})")
    return 1 if lost else 0


# ---------------------------------------------------------------------------------------------


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter,
                                epilog="\n\n".join(__doc__.split("\n\n")[1:]))
    p.add_argument("--sample", type=int, default=300, metavar="N", help="mutants (300)")
    p.add_argument("--seed", type=int, default=1, metavar="S", help="seed of the sample (1)")
    p.add_argument("--out", type=Path, metavar="FILE", help="results, one JSON object a line")
    p.add_argument("--resume", action="store_true",
                   help="skip the mutants already in --out (the default appends them again)")
    p.add_argument("--build-dir", type=Path, default=Path("build-mut"), metavar="DIR",
                   help="build tree of the mutants, relative to the source tree (build-mut)")
    p.add_argument("--root", type=Path, default=DEFAULT_ROOT, metavar="DIR",
                   help="the source tree to mutate (the one holding this script)")
    p.add_argument("--ids", type=Path, metavar="FILE",
                   help="run only these mutants of the sample: ids one a line, or a results file")
    p.add_argument("--only", metavar="STATUS",
                   help="with a results file as --ids: only its mutants of this status")
    p.add_argument("--folder", action="append", metavar="F",
                   help="run only the mutants of this folder of src/ (repeatable)")
    p.add_argument("--list", action="store_true", help="print the sample and stop")
    p.add_argument("--timeout", type=float, metavar="SECONDS",
                   help="time limit of one test program (default: 4 times its unmutated time "
                        "plus 20 s, at least 30 s)")
    p.add_argument("--jobs", type=int, default=2, help="build jobs (2)")
    p.add_argument("--reliability", action="store_true",
                   help="run the reliability campaigns too (slower, timing-dependent)")
    p.add_argument("--matrix", action="store_true",
                   help="run every covering program to its end and record every test that "
                        "fails against each mutant (which tests catch which faults)")
    p.add_argument("--all-programs", action="store_true",
                   help="run every test program against every mutant, without stopping at "
                        "the first kill (to check the coverage table; records each verdict)")
    p.add_argument("--restore", action="store_true",
                   help="put back a file left mutated by a run that was killed, and stop")
    p.add_argument("--summary", type=Path, metavar="FILE",
                   help="print the summary of a results file and stop")
    p.add_argument("--compare", type=Path, nargs=2, metavar=("BEFORE", "AFTER"),
                   help="list the mutants killed in BEFORE and not in AFTER; exit 1 if any")
    return p.parse_args()


def select(sample, args):
    chosen = sample
    if args.folder:
        chosen = [m for m in chosen if m.folder in args.folder]
    if args.ids:
        ids = set()
        for line in args.ids.read_text().splitlines():
            line = line.strip()
            if not line:
                continue
            if line.startswith("{"):
                rec = json.loads(line)
                if args.only is None or rec.get("status") == args.only:
                    ids.add(rec["id"])
            else:
                ids.add(line)
        chosen = [m for m in chosen if m.id in ids]
    elif args.only:
        sys.exit("mutants: --only needs a results file as --ids")
    return chosen


def main():
    args = parse_args()
    if args.summary:
        print(summarize(read_results(args.summary).values()))
        return 0
    if args.compare:
        return compare(*args.compare)
    root = args.root.resolve()
    build_dir = args.build_dir if args.build_dir.is_absolute() else root / args.build_dir

    sample, lines, places = draw_sample(root, args.sample, args.seed)
    chosen = select(sample, args)
    if args.list:
        print(f"# sample {args.sample}, seed {args.seed}: {len(chosen)} mutants shown")
        for f in sorted(lines):
            n = sum(m.folder == f for m in sample)
            print(f"# {f}: {lines[f]} code lines, {places.get(f, 0)} mutable places, {n} mutants")
        for m in chosen:
            print(f"{m.id}\t{one_line(m.original)} -> {one_line(m.replacement)}")
        return 0
    if not args.out and not args.restore:
        sys.exit("mutants: --out FILE is needed to run the sample")

    build_dir.mkdir(parents=True, exist_ok=True)
    restorer = Restorer(root, build_dir)
    restorer.recover()
    if args.restore:
        print(git_status(root) or "mutants: src/ is clean\n", end="")
        return 0
    status_before = git_status(root)
    done = read_results(args.out) if (args.resume and args.out.exists()) else {}
    todo = [m for m in chosen if m.id not in done]
    meta = (f"sample {args.sample}, seed {args.seed}, tree {root}, "
            f"{len(chosen)} selected, {len(todo)} to run")
    print(f"mutants: {meta}", flush=True)

    def on_signal(signum, frame):
        raise KeyboardInterrupt(f"signal {signum}")

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    interrupted = False
    try:
        configure(root, build_dir)
        runner = Runner(args, root, build_dir)
        runner.check_unmutated(sorted({m.folder for m in todo}))
        results = [r for r in done.values() if r["id"] in {m.id for m in chosen}]
        t_start = time.monotonic()
        for k, m in enumerate(todo, 1):
            rec = runner.run(m, restorer, sample.index(m) + 1)
            rec.update(index=sample.index(m) + 1, sample=args.sample, seed=args.seed)
            with open(args.out, "a") as f:
                f.write(json.dumps(rec, ensure_ascii=False) + "\n")
            results.append(rec)
            elapsed = time.monotonic() - t_start
            eta = elapsed / k * (len(todo) - k)
            killed = sum(r["status"] == "killed" for r in results)
            valid = sum(r["status"] in ("killed", "survived") for r in results)
            what = rec["status"]
            if what == "killed":
                what += f" by {rec['killer']} ({rec['reason']} {rec['test']})"
            print(f"[{k}/{len(todo)}] {rec['seconds']:6.1f}s  {m.id}  {what}   "
                  f"killed {killed}/{valid}  ETA {eta / 3600:.1f} h", flush=True)
        print()
        print(summarize(results))
    except KeyboardInterrupt as e:
        interrupted = True
        print(f"\nmutants: interrupted ({e}); --resume goes on from here", file=sys.stderr)
    finally:
        restorer.restore()
        if git_status(root) != status_before:
            print("mutants: src/ is not as it was:\n" + git_status(root), file=sys.stderr)
            return 3
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
