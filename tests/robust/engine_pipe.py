"""Shared pieces of the robustness scripts: the engine on a pipe, and the legal-moves
tool that tells which moves are legal after a move list."""
import queue
import re
import subprocess
import threading
import time

UCI_REPLY = ["id name Zarnik_j3_1_Beta_3_5_2010", "id author Tolvaric",
             "option name Hash type spin default 1 min 1 max 1024", "uciok "]
BESTMOVE = re.compile(r"bestmove ([a-h][1-8][a-h][1-8][nbrq]?|0000)")
CURRMOVE = re.compile(r"info currmove [a-h][1-8][a-h][1-8] currmovenumber (?P<number>\d+) depth (?P<depth>\d+)")
INFO = re.compile(r"info  nps (?P<nps>-?\d+) depth (?P<depth>\d+) seldepth (?P<seldepth>\d+) "
                  r"score (?P<kind>cp|mate) (?P<score>-?\d+) nodes (?P<nodes>-?\d+) "
                  r"pv (?P<pv>(?:[a-h][1-8][a-h][1-8][nbrq]? )*)")
DIAGNOSTIC = re.compile(r"^(ERROR |white test_)")
PATIENCE = 60.0  # seconds to wait for an expected line or for the end of a process


class Failure(Exception):
    pass


class Engine:
    """A process on a pipe whose output lines a reader thread collects."""

    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.incoming = queue.Queue()
        self.lines = []
        self.stderr = b""
        self.readers = [threading.Thread(target=self._read_stdout, daemon=True),
                        threading.Thread(target=self._read_stderr, daemon=True)]
        for reader in self.readers:
            reader.start()

    def _read_stdout(self):
        for raw in self.process.stdout:
            self.incoming.put(raw.rstrip(b"\n").decode("utf-8", errors="backslashreplace"))
        self.incoming.put(None)

    def _read_stderr(self):
        self.stderr = self.process.stderr.read()

    def send(self, *lines):
        self.process.stdin.write("".join(line + "\n" for line in lines).encode())
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
            raise Failure(f"output ended (exit code {self.process.poll()}); last lines: {self.lines[-3:]}")
        self.lines.append(line)
        return line

    def read_until(self, wanted, timeout=PATIENCE):
        """The lines up to and including the first one that satisfies wanted."""
        deadline = time.monotonic() + timeout
        taken = []
        while not taken or not wanted(taken[-1]):
            taken.append(self.next_line(max(0.01, deadline - time.monotonic())))
        return taken

    def search(self, *commands):
        """Sends the commands (the last one a "go") and returns the lines up to bestmove."""
        self.send(*commands)
        return self.read_until(lambda line: line.startswith("bestmove"))

    def finish(self, timeout=PATIENCE):
        """Waits for the end of the process: its exit code and the lines still to come."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Failure(f"the process did not end within {timeout} s")
        rest = []
        while (line := self.incoming.get(timeout=PATIENCE)) is not None:
            rest.append(line)
            self.lines.append(line)
        self.readers[1].join(PATIENCE)
        if self.stderr:
            raise Failure("standard error is not empty: " + self.stderr.decode(errors="backslashreplace"))
        return code, rest

    def kill(self):
        """Ends the process if it still runs and releases its pipes."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for reader in self.readers:
            reader.join(PATIENCE)
        for pipe in (self.process.stdin, self.process.stdout, self.process.stderr):
            try:
                pipe.close()
            except OSError:  # the input of a process that has ended
                pass


def start_engine(path, uci=True):
    engine = Engine([path])
    if uci:
        engine.send("uci")
        reply = [engine.next_line() for _ in UCI_REPLY]
        if reply != UCI_REPLY:
            engine.kill()
            raise Failure(f"uci answered {reply}")
    return engine


class Referee:
    """The legal_moves tool, one line per question."""

    def __init__(self, path):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def position(self, setup, moves=()):
        """setup is "startpos" or "fen <FEN>". Returns (key, in_check, legal moves) of the
        position after the moves; raises Failure when one of them is illegal."""
        line = setup + (" moves " + " ".join(moves) if moves else "")
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().split()
        if not answer or answer[0] != "ok":
            raise Failure(f"after {setup!r}: {' '.join(answer) or 'no answer'} (moves {' '.join(moves)})")
        key, check, count, legal = answer[1], answer[2] == "1", int(answer[3]), answer[4:]
        if count != len(legal):
            raise Failure(f"legal_moves answered {answer}")
        return key, check, legal

    def close(self):
        self.process.stdin.close()
        self.process.wait()
        self.process.stdout.close()


def bestmove_of(lines):
    match = BESTMOVE.fullmatch(lines[-1]) if lines else None
    if not match:
        raise Failure(f"the search did not end with a bestmove line: {lines[-3:]}")
    return match.group(1)


def diagnostics(lines):
    return [line for line in lines if DIAGNOSTIC.match(line)]
