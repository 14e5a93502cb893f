#!/usr/bin/env python3
"""Drives the engine through a pipe while it searches, with pauses between the lines.

    run_live.py ENGINE [CASE ...]

What happens here depends on timing, so no transcript is compared: each case checks the
shape of the reports instead (iterations in order, every root move reported once per
iteration, the info line's fields, the bestmove line) and what must or must not follow
the line sent during the search. Without CASE every case runs.
"""
import queue
import re
import subprocess
import sys
import threading
import time

CURRMOVE = re.compile(r"info currmove [a-h][1-8][a-h][1-8] currmovenumber (\d+) depth (\d+)")
INFO = re.compile(r"info  nps -?\d+ depth (\d+) seldepth (\d+) score (?:cp -?\d+|mate -?\d+) nodes \d+ pv ((?:[a-h][1-8][a-h][1-8][nbrq]? )*)")
BESTMOVE = re.compile(r"bestmove [a-h][1-8][a-h][1-8][nbrq]?")
UCI_REPLY = ["id name Zarnik_j3_1_Beta_3_5_2010", "id author Tolvaric",
             "option name Hash type spin default 1 min 1 max 1024", "uciok "]
START_ROOT_MOVES = 20  # legal moves of the start position
PATIENCE = 30.0        # seconds to wait for an expected line or for the end of the process


class Failure(Exception):
    pass


class Engine:
    """The engine on a pipe; its output lines are collected by a reader thread."""

    def __init__(self, path):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.incoming = queue.Queue()
        self.lines = []  # every line taken from the queue so far, without its line feed
        self.stderr = b""
        self.unterminated = b""  # output after the last line feed, if any
        threading.Thread(target=self._read_stdout, daemon=True).start()
        threading.Thread(target=self._read_stderr, daemon=True).start()

    def _read_stdout(self):
        for raw in self.process.stdout:
            if raw.endswith(b"\n"):
                self.incoming.put(raw[:-1].decode("utf-8", errors="backslashreplace"))
            else:
                self.unterminated = raw
        self.incoming.put(None)

    def _read_stderr(self):
        self.stderr = self.process.stderr.read()

    def send(self, line):
        self.process.stdin.write(line.encode() + b"\n")
        self.process.stdin.flush()

    def close_input(self):
        self.process.stdin.close()

    def next_line(self, timeout=PATIENCE):
        try:
            line = self.incoming.get(timeout=timeout)
        except queue.Empty:
            raise Failure(f"no output for {timeout} s; last lines: {self.lines[-3:]}")
        if line is None:
            self.incoming.put(None)
            raise Failure(f"output ended early; last lines: {self.lines[-3:]}")
        self.lines.append(line)
        return line

    def read_until(self, wanted, timeout=PATIENCE):
        """Reads lines until one satisfies wanted; returns the lines read, that one included."""
        deadline = time.monotonic() + timeout
        taken = []
        while True:
            left = deadline - time.monotonic()
            try:
                taken.append(self.next_line(max(0.01, left)))
            except Failure as failure:
                raise Failure(f"the line waited for did not come within {timeout} s ({failure})")
            if wanted(taken[-1]):
                return taken

    def finish(self, timeout=PATIENCE):
        """Waits for the end of the process; returns its exit code and the lines still to come."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure(f"the engine did not end within {timeout} s")
        rest = []
        try:
            while (line := self.incoming.get(timeout=PATIENCE)) is not None:
                rest.append(line)
                self.lines.append(line)
        except queue.Empty:
            raise Failure("the output stayed open after the engine ended")
        time.sleep(0.05)  # lets the stderr reader take the last bytes
        if self.stderr:
            raise Failure("standard error is not empty: " + self.stderr.decode(errors="backslashreplace"))
        if self.unterminated:
            raise Failure(f"output ends without a line feed: {self.unterminated!r}")
        return code, rest

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def start(path, *commands):
    engine = Engine(path)
    engine.send("uci")
    reply = [engine.next_line() for _ in UCI_REPLY]
    if reply != UCI_REPLY:
        raise Failure(f"uci answered {reply}")
    for command in commands:
        engine.send(command)
    return engine


def is_search_deeper_than(depth):
    def test(line):
        m = CURRMOVE.fullmatch(line)
        return m is not None and int(m.group(2)) > depth
    return test


def check_reports(lines, root_moves, last_may_be_cut):
    """Checks a search's currmove and info lines, the bestmove line excluded.

    Iterations run at depth 1, 2, 3, ...; each reports every legal root move once with
    currmovenumber 1, 2, 3, ... and ends with its info line. The last iteration may have
    been cut short by a stop: its remaining moves are still reported, but the number no
    longer advances. Lines beginning "ERROR " are allowed only then. Returns the depth of
    the last info line.
    """
    depth, numbers = 1, []
    for line in lines:
        if line.startswith("ERROR ") and last_may_be_cut:
            continue
        if m := CURRMOVE.fullmatch(line):
            if int(m.group(2)) != depth:
                raise Failure(f"{line!r} inside the iteration of depth {depth}")
            numbers.append(int(m.group(1)))
        elif m := INFO.fullmatch(line):
            if int(m.group(1)) != depth:
                raise Failure(f"{line!r} ends the iteration of depth {depth}")
            if len(m.group(3).split()) != int(m.group(2)):
                raise Failure(f"{line!r}: seldepth is not the number of pv moves")
            if len(numbers) != root_moves:
                raise Failure(f"depth {depth} reported {len(numbers)} root moves, not {root_moves}")
            full_count = list(range(1, root_moves + 1))
            if numbers != full_count:
                advancing = numbers[0] == 1 and all(b - a in (0, 1) for a, b in zip(numbers, numbers[1:]))
                stuck = next((i for i in range(1, len(numbers)) if numbers[i] == numbers[i - 1]), len(numbers))
                cut = advancing and all(n == numbers[stuck - 1] for n in numbers[stuck:])
                if not (last_may_be_cut and cut):
                    raise Failure(f"depth {depth} numbered its moves {numbers}")
                last_may_be_cut = False  # only one iteration can be the interrupted one
            depth, numbers = depth + 1, []
        else:
            raise Failure(f"unexpected line during the search: {line!r}")
    if numbers:
        raise Failure(f"currmove lines of depth {depth} without their info line")
    return depth - 1


def case_stop_ends_infinite_search(path):
    """go infinite, then stop after about a second: the running iteration's info line,
    the bestmove line, no later iteration; afterwards the loop answers again."""
    engine = start(path, "position startpos", "go infinite")
    try:
        time.sleep(1.0)
        engine.send("stop")
        sent = time.monotonic()
        search = engine.read_until(lambda line: line.startswith("bestmove"))
        delay = time.monotonic() - sent
        if not BESTMOVE.fullmatch(search[-1]):
            raise Failure(f"bad bestmove line {search[-1]!r}")
        last = check_reports(search[:-1], START_ROOT_MOVES, last_may_be_cut=True)
        if not 2 <= last < 50:
            raise Failure(f"a one-second search ended at depth {last}")
        if delay > 5:
            raise Failure(f"bestmove came {delay:.1f} s after stop")
        engine.send("isready")
        after = engine.read_until(lambda line: line == "readyok ")
        if any(not line.startswith("ERROR ") for line in after[:-1]):
            raise Failure(f"lines between bestmove and readyok: {after[:-1]}")
        if engine.next_line() != "":
            raise Failure("readyok is not followed by an empty line")
        engine.send("quit")
        code, rest = engine.finish()
        if code != 1 or rest:
            raise Failure(f"quit gave exit code {code} and output {rest}")
    finally:
        engine.kill()


def case_quit_during_search(path):
    """quit during a search ends the process at once with exit code 1, without bestmove."""
    engine = start(path, "position startpos", "go infinite")
    try:
        search = engine.read_until(is_search_deeper_than(6))
        engine.send("quit")
        code, rest = engine.finish(timeout=5)
        if code != 1:
            raise Failure(f"exit code {code} after quit")
        lines = search + rest
        if any(line.startswith("bestmove") for line in lines):
            raise Failure("a bestmove line was written after quit")
        for line in lines:
            if not (CURRMOVE.fullmatch(line) or INFO.fullmatch(line)):
                raise Failure(f"unexpected line {line!r}")
    finally:
        engine.kill()


def case_isready_during_search(path):
    """isready read during a search is dropped: the only readyok is the one answering the
    isready sent after bestmove."""
    engine = start(path, "position startpos", "go infinite")
    try:
        engine.read_until(is_search_deeper_than(6))
        engine.send("isready")
        time.sleep(0.5)
        engine.send("stop")
        search = engine.read_until(lambda line: line.startswith("bestmove"))
        if "readyok " in search:
            raise Failure("readyok during the search")
        engine.send("isready")
        engine.close_input()
        code, rest = engine.finish()
        answers = [line for line in rest if not line.startswith("ERROR ")]
        if code != 0 or answers != ["readyok ", ""]:
            raise Failure(f"after bestmove: exit code {code}, output {rest}")
    finally:
        engine.kill()


def case_closed_input_during_search(path):
    """Input closed while "go depth 12" runs: the search goes to its end, writes its
    bestmove line, and the program then ends with exit code 0."""
    engine = start(path, "position startpos", "go depth 12")
    try:
        before = engine.read_until(is_search_deeper_than(8))
        engine.close_input()
        code, rest = engine.finish(timeout=120)  # depths 9 to 12 take seconds in a sanitizer build
        if code != 0:
            raise Failure(f"exit code {code} after the input ended")
        if not rest or not BESTMOVE.fullmatch(rest[-1]):
            raise Failure(f"the output does not end with a bestmove line: {rest[-3:]}")
        last = check_reports(before + rest[:-1], START_ROOT_MOVES, last_may_be_cut=False)
        if last != 12:
            raise Failure(f"the search ended at depth {last}, not 12")
    finally:
        engine.kill()


CASES = {name[len("case_"):]: case for name, case in globals().items() if name.startswith("case_")}


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    path, names = sys.argv[1], sys.argv[2:] or list(CASES)
    failed = 0
    for name in names:
        if name not in CASES:
            print(f"unknown case {name}; cases: {', '.join(CASES)}")
            return 2
        began = time.monotonic()
        try:
            CASES[name](path)
            print(f"ok   {name} ({time.monotonic() - began:.1f} s)")
        except Failure as failure:
            failed += 1
            print(f"FAIL {name}: {failure}")
        except (OSError, ValueError) as error:  # a pipe that broke because the engine ended
            failed += 1
            print(f"FAIL {name}: {error!r}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
