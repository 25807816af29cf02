#!/usr/bin/env python3
"""Plants small faults in pollwick_core's .cpp files, one at a time, and runs the tests that
link the changed file after each, to find faults that no test notices.

The faults are the mistakes a hand makes: a comparison flipped (< and <=, > and >=, == and !=),
a condition dropped (one operand of && or || made true or false), a branch swapped (an if's
condition negated), a constant changed (an integer one up), a wrong field or index (a subscript
one further, .first and .second exchanged), a missing reset (a statement that sets a member back
to its empty value, or clears a list, left out), an ignored result (the outcome of a write,
rename, commit, flush or open taken as success), two statements swapped (two neighbouring
statements of one block in the other order) and a wrong encoding (Latin-1 and UTF-8 exchanged).
For each core file the tool picks
up to --per-file of them, one of each kind in turn, at random places (--seed makes the choice
repeatable). A fault is caught when a test fails or times out; a fault that does not compile is
not counted. The file is put back after each fault, also when the tool is interrupted.

The tests run for a file are those whose program holds the file's object code (found with nm),
so only they are rebuilt and run. The build folder must be configured (script/setup) and its
sources must be this tree. Tests that fail before any fault is planted are left out.

With a static core every test program that holds the file is relinked after each fault, which
takes minutes on a small machine. A second build folder configured with -DPOLLWICK_SHARED_CORE=ON
rebuilds only the object file and the library; give it as --build and a static build of the same
tree as --select-from, whose programs tell which tests hold the file (do not rebuild that
folder while the tool reads them at its start):

  tools/plant-faults.py --build build [--per-file 3] [--seed 1] [--only src/filters/] [--list]
  cmake -S . -B build-plant -G Ninja -DPOLLWICK_SHARED_CORE=ON -DPOLLWICK_BUILD_BENCH=OFF
  tools/plant-faults.py --build build-plant --select-from build --per-file 1 --seed 2 \
      [--timeout 120]
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from collections import defaultdict

# Encoding calls and what each becomes when the other encoding is used by mistake.
ENCODINGS = {"fromLatin1": "fromUtf8", "fromUtf8": "fromLatin1", "toLatin1": "toUtf8",
             "toUtf8": "toLatin1", "fromLocal8Bit": "fromLatin1", "toLocal8Bit": "toLatin1"}
# A member set back to its empty value, or a container emptied: the reset between two runs.
RESET = re.compile(r"^\s*(m_\w+(\.\w+)?\s*=\s*(0|-1|false|nullptr|\{\}|QString\(\)|QByteArray\(\))"
                   r"|[\w.>\-]+\.clear\(\));\s*$")
# Calls whose result says whether a file operation worked.
CHECKED_CALL = re.compile(r"(?<![\w.>])((?:[\w]+(?:\.|->|::))*(?:write|rename|commit|flush|open|"
                          r"writeFile|ReplaceFileAtomically|ReplaceTextFileAtomically)\()")
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KINDS = ["flip a comparison", "drop a condition", "swap a branch", "change a constant",
         "wrong field or index", "missing reset", "ignored result", "statements swapped",
         "wrong encoding"]
FLIPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}


def core_sources(build):
    text = open(os.path.join(build, "build.ninja")).read()
    objs = sorted(set(re.findall(r"src/CMakeFiles/pollwick_core\.dir/([^ :$]+?\.cpp)\.o", text)))
    return [("src/" + o, os.path.join(build, "src/CMakeFiles/pollwick_core.dir", o + ".o"))
            for o in objs if "_autogen" not in o]


def blank_out(line):
    """The line with string and character literals and a trailing // comment blanked, so that
    nothing inside them is taken for code; positions stay the same."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def matching_paren(code, start):
    """Index of the ")" that closes the "(" at start, within the line; -1 when not there."""
    depth = 0
    for i in range(start, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def operand_end(code, start):
    """End of the operand that begins at start: the next && or || or closing bracket or ; or ,
    at the same depth."""
    depth = 0
    i = start
    while i < len(code):
        c = code[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return i
            depth -= 1
        elif code.startswith("::", i):
            i += 2
            continue
        elif depth == 0 and (code.startswith("&&", i) or code.startswith("||", i) or
                             c in ";,?:"):
            return i
        i += 1
    return -1


def simple_statement(code):
    """True for a line that is one statement on its own: it ends with ";" and opens no block."""
    stripped = code.strip()
    return (stripped.endswith(";") and not stripped.startswith(("return", "}", "case ", "default",
                                                                "break", "continue", "using ")) and
            stripped.count("(") == stripped.count(")") and "{" not in stripped and
            "}" not in stripped and not stripped.startswith(("const ", "auto ", "QString ",
                                                             "int ", "bool ", "qint")))


def candidates(path):
    """Every fault the tool can plant in the file: (kind, first line number, {line number: new
    line}, note)."""
    lines = open(os.path.join(ROOT, path), encoding="latin-1").read().split("\n")
    found = []
    in_block_comment = False
    for n, line in enumerate(lines):
        stripped = line.strip()
        if in_block_comment:
            if "*/" in stripped:
                in_block_comment = False
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in stripped
            continue
        if (not stripped or stripped.startswith("#") or stripped.startswith("//") or
                stripped.startswith("static_assert") or "template" in stripped):
            continue
        code = blank_out(line)
        # Comparisons, written with blanks around them.
        for m in re.finditer(r"(?<=[\w)\]'\"]) (<=|>=|==|!=|<|>) (?=[\w(!'\"-])", code):
            op = m.group(1)
            new = line[: m.start(1)] + FLIPS[op] + line[m.end(1):]
            found.append(("flip a comparison", n, {n: new}, f"{op} -> {FLIPS[op]}"))
        # One operand of && or || that no longer counts.
        for m in re.finditer(r" (&&|\|\|) ", code):
            start = m.end()
            end = operand_end(code, start)
            if end <= start or not code[start:end].strip():
                continue
            neutral = "true" if m.group(1) == "&&" else "false"
            operand = line[start:end].rstrip()
            new = line[:start] + neutral + line[start + len(operand):]
            found.append(("drop a condition", n, {n: new},
                          f"{m.group(1)} {operand.strip()} dropped"))
        # An if whose condition is negated.
        for m in re.finditer(r"\bif \(", code):
            open_at = m.end() - 1
            close_at = matching_paren(code, open_at)
            if close_at < 0 or code[open_at + 1: close_at].lstrip().startswith(("const ", "auto ")):
                continue
            cond = line[open_at + 1: close_at]
            new = line[: open_at + 1] + "!(" + cond + ")" + line[close_at:]
            found.append(("swap a branch", n, {n: new}, f"if ({cond.strip()}) negated"))
        # Integer constants one up, outside names and floating-point numbers.
        for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.])", code):
            value = int(m.group(1))
            new = line[: m.start()] + str(value + 1) + line[m.end():]
            found.append(("change a constant", n, {n: new}, f"{value} -> {value + 1}"))
        # A subscript one further, or the other half of a pair.
        for m in re.finditer(r"(?<=[\w)\]])\[([^\[\]]+)\]", code):
            index = line[m.start(1): m.end(1)]
            new = line[: m.start(1)] + index + " + 1" + line[m.end(1):]
            found.append(("wrong field or index", n, {n: new}, f"[{index}] -> [{index} + 1]"))
        for m in re.finditer(r"\.(first|second)\b", code):
            other = "second" if m.group(1) == "first" else "first"
            new = line[: m.start(1)] + other + line[m.end(1):]
            found.append(("wrong field or index", n, {n: new}, f".{m.group(1)} -> .{other}"))
        # The reset between two runs left out.
        if RESET.match(code):
            found.append(("missing reset", n, {n: ""}, f"{stripped} left out"))
        # A failed write, rename, commit, flush or open taken for success.
        for m in CHECKED_CALL.finditer(code):
            open_at = m.end() - 1
            close_at = matching_paren(code, open_at)
            if close_at < 0:
                continue
            call = line[m.start(): close_at + 1]
            before = code[: m.start()].rstrip()
            if before.endswith("!"):
                bang = len(before) - 1
                new = line[:bang] + "(" + call + ", false)" + line[close_at + 1:]
            elif before.endswith("return") or before.endswith("=") or before.endswith("("):
                new = line[: m.start()] + "(" + call + ", true)" + line[close_at + 1:]
            else:
                continue
            found.append(("ignored result", n, {n: new}, f"{call.split('(')[0]}() taken as done"))
        # A wrong encoding.
        for m in re.finditer(r"\b(" + "|".join(ENCODINGS) + r")\(", code):
            new = line[: m.start(1)] + ENCODINGS[m.group(1)] + line[m.end(1):]
            found.append(("wrong encoding", n, {n: new}, f"{m.group(1)} -> {ENCODINGS[m.group(1)]}"))
        # Two neighbouring statements of one block in the other order.
        if n + 1 < len(lines):
            nxt = blank_out(lines[n + 1])
            indent = len(line) - len(line.lstrip())
            if (simple_statement(code) and simple_statement(nxt) and
                    indent == len(nxt) - len(nxt.lstrip()) and line.strip() != lines[n + 1].strip()):
                found.append(("statements swapped", n, {n: lines[n + 1], n + 1: line},
                              f"{stripped[:40]} <-> {lines[n + 1].strip()[:40]}"))
    return lines, found


def pick(found, per_file, rng):
    """Up to per_file faults, the kinds taken in turn, each at a random place."""
    by_kind = defaultdict(list)
    for f in found:
        by_kind[f[0]].append(f)
    for faults in by_kind.values():
        rng.shuffle(faults)
    kinds = [k for k in KINDS if by_kind[k]]
    rng.shuffle(kinds)
    chosen = []
    while len(chosen) < per_file and any(by_kind[k] for k in kinds):
        for k in kinds:
            if by_kind[k] and len(chosen) < per_file:
                chosen.append(by_kind[k].pop())
    return chosen


def defined_symbols(obj):
    out = subprocess.run(["nm", "--defined-only", obj], capture_output=True, text=True).stdout
    return {line.split()[2] for line in out.splitlines()
            if len(line.split()) == 3 and line.split()[1] in "TW" and
            not line.split()[2].startswith(("_GLOBAL__", "_ZN9QtPrivate", "_ZNK9QtPrivate"))}


class Tests:
    """The test programs and which core object files each one holds."""

    def __init__(self, build):
        self.build = build
        listing = subprocess.run(["ctest", "-N", "--show-only=json-v1"], cwd=build,
                                 capture_output=True, text=True).stdout
        import json
        self.programs = {}
        for test in json.loads(listing)["tests"]:
            command = test.get("command") or []
            if command:
                self.programs[test["name"]] = command[0]
        self.symbols = {}

    def holding(self, obj):
        wanted = defined_symbols(obj)
        if not wanted:
            return []
        names = []
        for name, program in sorted(self.programs.items()):
            if not os.path.exists(program):
                continue
            if name not in self.symbols:
                self.symbols[name] = defined_symbols(program)
            if wanted & self.symbols[name]:
                names.append(name)
        return names


def run(cmd, cwd, timeout):
    try:
        return subprocess.run(cmd, cwd=cwd, capture_output=True, text=True,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--per-file", type=int, default=3)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--only", default="", help="only files whose path starts with this")
    parser.add_argument("--list", action="store_true", help="list the faults, plant none")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=240,
                        help="seconds a test may run before it counts as failed (hung)")
    parser.add_argument("--select-from", help="a static build of this tree whose test programs "
                        "tell which tests hold a file (default: --build)")
    args = parser.parse_args()
    # A stop from outside (also a background run, which ignores Ctrl-C) still puts the planted
    # file back: SystemExit unwinds through the finally below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    build = os.path.abspath(args.build)
    rng = random.Random(args.seed)
    tests = Tests(os.path.abspath(args.select_from or args.build))
    failing = set()
    if not args.list:
        # Tests that fail on the tree as it is say nothing about a planted fault.
        if run(["ninja", "-j", str(args.jobs)], build, 3600) != 0:
            print("the build folder does not build", file=sys.stderr)
            return 1
        subprocess.run(["ctest", "-j", str(args.jobs), "--timeout", "240"], cwd=build,
                       capture_output=True, text=True)
        failed_log = os.path.join(build, "Testing/Temporary/LastTestsFailed.log")
        if os.path.exists(failed_log):
            failing = {line.strip().split(":", 1)[1] for line in open(failed_log) if ":" in line}
        for name in sorted(failing):
            print(f"left out, fails without a fault: {name}", flush=True)
    totals = defaultdict(lambda: [0, 0])
    survivors = []
    for path, obj in core_sources(build):
        if not path.startswith(args.only):
            continue
        lines, found = candidates(path)
        chosen = pick(found, args.per_file, rng)
        if args.list:
            for kind, n, edits, note in chosen:
                print(f"{path}:{n + 1}: {kind}: {note}")
            continue
        affected = [t for t in tests.holding(obj) if t not in failing]
        if not affected:
            print(f"{path}: no test program holds it", flush=True)
        original = "\n".join(lines)
        group = path.split("/")[1]
        for kind, n, edits, note in chosen:
            changed = lines[:]
            for at, new in edits.items():
                changed[at] = new
            target = os.path.join(ROOT, path)
            try:
                with open(target, "w", encoding="latin-1") as f:
                    f.write("\n".join(changed))
                started = time.monotonic()
                built = run(["ninja", "-j", str(args.jobs)] + affected, build, 1800) == 0
                if not built:
                    print(f"{path}:{n + 1}: {kind}: {note}: does not compile, not counted",
                          flush=True)
                    continue
                pattern = "^(" + "|".join(re.escape(t) for t in affected) + ")$"
                failed = run(["ctest", "-R", pattern, "-j", str(args.jobs), "--timeout", str(args.timeout),
                              "--stop-on-failure"], build, 3600) != 0 if affected else False
            finally:
                with open(target, "w", encoding="latin-1") as f:
                    f.write(original)
            totals[group][0] += 1
            totals[group][1] += failed
            verdict = "caught" if failed else "NOT CAUGHT"
            print(f"{path}:{n + 1}: {kind}: {note}: {verdict} "
                  f"({len(affected)} tests, {time.monotonic() - started:.0f} s)", flush=True)
            if not failed:
                survivors.append(f"{path}:{n + 1}: {kind}: {note}")
    if args.list:
        return 0
    print("\nplanted / caught per file group:")
    for group in sorted(totals):
        planted, caught = totals[group]
        print(f"  src/{group}/: {planted} planted, {caught} caught")
    planted = sum(t[0] for t in totals.values())
    caught = sum(t[1] for t in totals.values())
    print(f"  all: {planted} planted, {caught} caught")
    if survivors:
        print("not caught:")
        for s in survivors:
            print("  " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
