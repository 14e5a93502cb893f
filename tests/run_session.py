#!/usr/bin/env python3
"""Plays one recorded protocol session against the engine binary.

    run_session.py ENGINE tests/sessions/NAME [--runs N] [--timeout SECONDS]

NAME.in is fed to the engine's standard input as it is; the whole standard output must
equal NAME.out byte for byte and the exit code must equal the number in NAME.code.
The engine writes nothing to standard error, so anything there (a sanitizer report,
for instance) fails the session too. The figure after " nps " depends on the machine's
speed and is replaced by N on both sides before the comparison. With --runs N the
session is played N times in fresh processes; every run must match the transcript.
A run that takes longer than the timeout (60 s unless given) is stopped and fails.
"""
import argparse
import difflib
import re
import subprocess
import sys

NPS_FIGURE = re.compile(rb" nps -?[0-9]+")


def mask_nps(data: bytes) -> bytes:
    return NPS_FIGURE.sub(b" nps N", data)


def readable_lines(data: bytes) -> list[str]:
    # A "$" marks every line end, so trailing spaces and missing line feeds show up;
    # bytes that are not UTF-8 are shown as \xNN.
    text = data.decode("utf-8", errors="backslashreplace").replace("\r", "\\r")
    lines = text.split("\n")
    shown = [line + "$" for line in lines[:-1]]
    if lines[-1]:
        shown.append(lines[-1] + "   (no line feed at the end)")
    return shown


def play(engine: str, script: bytes, timeout: float) -> tuple[bytes, bytes, int | None]:
    try:
        done = subprocess.run([engine], input=script, capture_output=True, timeout=timeout)
        return done.stdout, done.stderr, done.returncode
    except subprocess.TimeoutExpired as late:
        return late.stdout or b"", late.stderr or b"", None


def check_run(engine: str, case: str, script: bytes, expected: bytes, expected_code: int,
              timeout: float) -> list[str]:
    stdout, stderr, code = play(engine, script, timeout)
    problems = []
    if code is None:
        problems.append(f"the engine did not end within {timeout} s")
    elif code != expected_code:
        problems.append(f"exit code {code}, expected {expected_code}")
    actual = mask_nps(stdout)
    if actual != expected:
        diff = difflib.unified_diff(readable_lines(expected), readable_lines(actual),
                                    f"{case}.out (expected)", "engine output", lineterm="")
        problems.append("standard output differs (\"$\" marks a line end):\n" + "\n".join(diff))
    if stderr:
        problems.append("standard error is not empty:\n" + stderr.decode("utf-8", errors="backslashreplace"))
    return problems


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("engine")
    parser.add_argument("case", help="path of the session without extension")
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--timeout", type=float, default=60)
    args = parser.parse_args()

    with open(args.case + ".in", "rb") as f:
        script = f.read()
    with open(args.case + ".out", "rb") as f:
        expected = mask_nps(f.read())
    with open(args.case + ".code") as f:
        expected_code = int(f.read().strip())

    failed = False
    for run in range(1, args.runs + 1):
        problems = check_run(args.engine, args.case, script, expected, expected_code, args.timeout)
        for problem in problems:
            print(f"{args.case} (run {run} of {args.runs}): {problem}")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
