#!/usr/bin/env python3
"""Mutation pass over the game's sources: applies one small change at a time, rebuilds the
unit test binary, runs the unit suite and says whether any test failed (the change was
caught) or none did (it survived). Every file is put back as it was after each change, and
the build is brought back to the unchanged sources at the end.

A list of changes is a text file of blocks separated by blank lines. Each block is optional
`#` lines describing it, the path of a file under the source tree, a line `- OLD` and a line
`+ NEW`: OLD must occur exactly once in that file and is replaced by NEW.

    tools/mutate.py tools/mutations.txt                 # every change, in build/
    tools/mutate.py tools/mutations.txt -k draw.cpp -k 11025
    tools/mutate.py tools/mutations.txt --report build/mutations.md
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Mutation:
    def __init__(self, number, path, old, new, note):
        self.number, self.path, self.old, self.new, self.note = number, path, old, new, note
        self.result, self.failed, self.seconds = None, [], 0.0

    def where(self):
        with open(os.path.join(SOURCE, self.path)) as f:
            text = f.read()
        return "%s:%d" % (self.path, text[:text.find(self.old)].count("\n") + 1)


def parse(listfile):
    with open(listfile) as f:
        blocks = re.split(r"\n\s*\n", f.read())
    mutations = []
    for block in blocks:
        lines = [l for l in block.split("\n") if l.strip()]
        notes = [l.lstrip("#").strip() for l in lines if l.startswith("#")]
        body = [l for l in lines if not l.startswith("#")]
        if not body:
            continue
        if len(body) != 3 or not body[1].startswith("- ") or not body[2].startswith("+ "):
            sys.exit("mutate: a block must be a path, '- OLD' and '+ NEW':\n%s" % block)
        mutations.append(Mutation(len(mutations) + 1, body[0].strip(), body[1][2:],
                                  body[2][2:], " ".join(notes)))
    return mutations


def check(m):
    """Why the change cannot be applied, or None."""
    path = os.path.join(SOURCE, m.path)
    if not os.path.isfile(path):
        return "no file %s" % m.path
    with open(path) as f:
        count = f.read().count(m.old)
    if count != 1:
        return "%r occurs %d times in %s" % (m.old, count, m.path)
    return None


def build(builddir):
    r = subprocess.run(["cmake", "--build", builddir, "--target", "vellmora_tests",
                        "-j%d" % min(2, os.cpu_count() or 1)],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return r.returncode == 0, r.stdout.decode(errors="replace")


def unitsuite(builddir, timeout):
    """The names of the failing unit tests; an empty list when all passed."""
    cmd = ["ctest", "--test-dir", builddir, "-LE", "e2e", "-j2", "--timeout", str(timeout)]
    try:
        r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=20 * timeout)
    except subprocess.TimeoutExpired:
        return ["(the whole suite timed out)"]
    out = r.stdout.decode(errors="replace")
    # Lines like "  57 - Suite.Name  # GetParam() = x (Failed)".
    failed = re.findall(r"^\s*\d+ - (\S+).*\(.+\)\s*$",
                        out.split("The following tests FAILED:")[-1],
                        re.M) if "The following tests FAILED:" in out else []
    if r.returncode != 0 and not failed:
        failed = ["(ctest exit status %d)" % r.returncode]
    return failed


def run(m, builddir, timeout):
    path = os.path.join(SOURCE, m.path)
    with open(path, "rb") as f:
        original = f.read()
    started = time.monotonic()
    try:
        with open(path, "wb") as f:
            f.write(original.replace(m.old.encode(), m.new.encode(), 1))
        built, log = build(builddir)
        if not built:
            m.result = "no build"
            m.failed = [l for l in log.splitlines() if "error" in l][:1]
        else:
            m.failed = unitsuite(builddir, timeout)
            m.result = "caught" if m.failed else "survived"
    finally:
        # A fresh modification time, so that the next build compiles the original again.
        with open(path, "wb") as f:
            f.write(original)
    m.seconds = time.monotonic() - started


def cell(code):
    return code.strip().replace("|", "\\|")


def table(mutations):
    rows = ["| # | where | change | result | failing tests |", "|---|---|---|---|---|"]
    for m in mutations:
        shown = ", ".join(m.failed[:3]) + (" and %d more" % (len(m.failed) - 3)
                                           if len(m.failed) > 3 else "")
        rows.append("| %d | %s | `%s` → `%s` | %s | %s |"
                    % (m.number, m.place, cell(m.old), cell(m.new), m.result, shown))
    caught = sum(m.result == "caught" for m in mutations)
    survived = [m.number for m in mutations if m.result == "survived"]
    rows.append("")
    rows.append("%d caught, %d survived%s, %d did not build"
                % (caught, len(survived), " (%s)" % ", ".join(map(str, survived))
                   if survived else "", sum(m.result == "no build" for m in mutations)))
    return "\n".join(rows)


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("list", help="the file of changes")
    ap.add_argument("--build", default=os.path.join(SOURCE, "build"),
                    help="a configured build directory (default: build/)")
    ap.add_argument("-k", action="append", default=[],
                    help="only changes whose path, text or note holds this (repeatable)")
    ap.add_argument("--timeout", type=int, default=120, help="seconds allowed to one test")
    ap.add_argument("--report", help="also write the table, in Markdown, to this file")
    args = ap.parse_args()

    mutations = parse(args.list)
    if args.k:
        mutations = [m for m in mutations
                     if any(k in m.path or k in m.old or k in m.new or k in m.note
                            for k in args.k)]
    problems = [(m, check(m)) for m in mutations]
    problems = [(m, p) for m, p in problems if p]
    if problems:
        sys.exit("mutate: cannot apply:\n" + "\n".join("  #%d: %s" % (m.number, p)
                                                       for m, p in problems))
    for m in mutations:
        m.place = m.where()

    # A signal still puts the file back, through the finally clauses.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("mutate: stopped"))
    try:
        built, log = build(args.build)
        if not built:
            sys.exit("mutate: the unchanged sources do not build:\n" + log[-2000:])
        failing = unitsuite(args.build, args.timeout)
        if failing:
            sys.exit("mutate: the unchanged sources already fail: %s" % ", ".join(failing))
        print("unchanged sources: every unit test passes; %d changes to try" % len(mutations),
              flush=True)
        for m in mutations:
            run(m, args.build, args.timeout)
            print("#%d %s  %s  (%.0f s)%s" % (m.number, m.place, m.result, m.seconds,
                                              "  " + ", ".join(m.failed[:3]) if m.failed
                                              else ""), flush=True)
    finally:
        build(args.build)
    report = table(mutations)
    print()
    print(report)
    if args.report:
        with open(args.report, "w") as f:
            f.write(report + "\n")


if __name__ == "__main__":
    main()
