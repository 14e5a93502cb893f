#!/usr/bin/env python3
"""The recorded protocol sessions, and one deeper search, played under valgrind.

    valgrind_sessions.py ENGINE SESSIONS_DIR

Every SESSIONS_DIR/NAME.in except the long_* ones is fed to ENGINE under memcheck
(uninitialised reads, invalid accesses; leaks are not looked at). A session passes
when valgrind reports nothing, the exit code equals NAME.code and the output equals
NAME.out with the nps figures masked. Exits with 77 (skipped) without valgrind.
"""
import glob
import os
import re
import shutil
import subprocess
import sys

SKIPPED = 77
VALGRIND_FOUND_ERRORS = 99
NPS_FIGURE = re.compile(rb" nps -?[0-9]+")
# A middlegame with castling, en passant and promotions near: the search reaches most
# of the make, unmake, generation, evaluation and table code.
DEEP_SEARCH = (b"uci\nposition fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\n"
               b"go depth 5\n")


def under_valgrind(engine, script):
    done = subprocess.run(["valgrind", "-q", f"--error-exitcode={VALGRIND_FOUND_ERRORS}", "--leak-check=no",
                           engine], input=script, capture_output=True, timeout=300)
    return done.returncode, done.stdout, done.stderr.decode(errors="backslashreplace")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if not shutil.which("valgrind"):
        print("valgrind is not installed (Debian: apt-get install valgrind): skipped")
        return SKIPPED
    engine, directory = sys.argv[1], sys.argv[2]
    cases = []
    for script in sorted(glob.glob(os.path.join(directory, "*.in"))):
        name = os.path.basename(script)[:-3]
        if name.startswith("long_"):
            continue
        base = script[:-3]
        with open(script, "rb") as f, open(base + ".out", "rb") as out, open(base + ".code") as code:
            cases.append((name, f.read(), NPS_FIGURE.sub(b" nps N", out.read()), int(code.read())))
    if not cases:
        print(f"no sessions in {directory}")
        return 1

    failed = 0
    for name, script, expected, expected_code in cases:
        code, stdout, stderr = under_valgrind(engine, script)
        problems = []
        if code == VALGRIND_FOUND_ERRORS or stderr:
            problems.append("valgrind:\n" + stderr)
        elif code != expected_code:
            problems.append(f"exit code {code}, expected {expected_code}")
        if NPS_FIGURE.sub(b" nps N", stdout) != expected:
            problems.append("the output differs from the transcript")
        failed += bool(problems)
        print(f"{'FAIL' if problems else 'ok  '} {name}" + "".join("\n    " + p for p in problems))

    code, stdout, stderr = under_valgrind(engine, DEEP_SEARCH)
    lines = stdout.decode(errors="backslashreplace").splitlines()
    deep_ok = code == 0 and not stderr and lines and lines[-1].startswith("bestmove ") and \
        not [line for line in lines if line.startswith(("ERROR ", "white test_"))]
    failed += not deep_ok
    print(f"{'ok  ' if deep_ok else 'FAIL'} depth 5 search" + ("" if deep_ok else f": exit code {code}\n{stderr}\n{lines[-3:]}"))
    total = len(cases) + 1
    print(f"{total - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
