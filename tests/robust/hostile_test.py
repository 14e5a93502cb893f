#!/usr/bin/env python3
"""Hostile sessions against the engine binary: very long move lists and lines, floods,
"stop" and "quit" at every phase of a search, input closed mid-search, boards no game
reaches. Every bestmove is checked against the legal moves of the position.

    ZARNIK_ENGINE=build/release/zarnik ZARNIK_LEGAL_MOVES=build/release/tools/legal_moves \
        hostile_test.py [unittest arguments]
"""
import itertools
import os
import subprocess
import sys
import time
import unittest

from engine_pipe import (CURRMOVE, INFO, UCI_REPLY, Failure, Referee, bestmove_of, diagnostics,
                         start_engine)

ENGINE = os.environ.get("ZARNIK_ENGINE", "build/release/zarnik")
LEGAL_MOVES = os.environ.get("ZARNIK_LEGAL_MOVES", "build/release/tools/legal_moves")
LINE_LIMIT = 65533  # characters a line may hold
HISTORY = 999       # move tokens the position command replays
WARNING_MOVES = "WARNING ! moves error"
KNIGHT_DANCE = ["g1f3", "g8f6", "f3g1", "f6g8"]  # legal forever, back where it began every 4 plies


def run_script(script, uci=True, timeout=120):
    text = ("uci\n" if uci else "") + script
    done = subprocess.run([ENGINE], input=text.encode(), capture_output=True, timeout=timeout)
    lines = done.stdout.decode(errors="backslashreplace").split("\n")
    if lines[-1] != "":
        raise Failure(f"output ends without a line feed: {lines[-1][-80:]!r}")
    lines = lines[:-1]
    if uci:
        if lines[:4] != UCI_REPLY:
            raise Failure(f"uci answered {lines[:4]}")
        lines = lines[4:]
    if done.stderr:
        raise Failure("standard error is not empty: " + done.stderr.decode(errors="backslashreplace"))
    return done.returncode, lines


class Checked(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.referee = Referee(LEGAL_MOVES)

    @classmethod
    def tearDownClass(cls):
        cls.referee.close()

    def assert_search(self, lines, setup, moves=(), depth=None):
        """One search's lines: iterations numbered from 1 (up to depth, when given), each
        reporting every legal root move, then a bestmove that is legal (0000 without one)."""
        _, _, legal = self.referee.position(setup, moves)
        best = bestmove_of(lines)
        if legal:
            self.assertIn(best, legal, f"bestmove in {setup} moves ...{' '.join(moves[-4:])}")
        else:
            self.assertEqual(best, "0000")
        iterations = [INFO.fullmatch(line) for line in lines if line.startswith("info  nps")]
        self.assertTrue(all(iterations), lines)
        self.assertEqual([int(m["depth"]) for m in iterations], list(range(1, len(iterations) + 1)))
        if depth is not None and not any(m["kind"] == "mate" for m in iterations):
            self.assertEqual(len(iterations), depth)
        currmoves = [line for line in lines if CURRMOVE.fullmatch(line)]
        self.assertEqual(len(currmoves), len(iterations) * len(legal))


class MoveLists(Checked):
    def test_lists_up_to_and_past_the_history(self):
        # 999 tokens are all replayed; each token beyond draws one warning and is not
        # made, so both lists leave the position after 999 plies, black to move.
        for count in (HISTORY, 1200):
            with self.subTest(tokens=count):
                tokens = list(itertools.islice(itertools.cycle(KNIGHT_DANCE), count))
                code, lines = run_script(f"position startpos moves {' '.join(tokens)}\ngo depth 1\n")
                self.assertEqual(code, 0)
                warnings = [line for line in lines if line == WARNING_MOVES]
                self.assertEqual(len(warnings), max(0, count - HISTORY))
                self.assertEqual(lines[:len(warnings)], warnings)
                self.assert_search(lines[len(warnings):], "startpos", tokens[:HISTORY], depth=1)


class LongLines(Checked):
    def test_longest_line_is_dispatched(self):
        for command, moves in (("go depth 1", ()), ("position startpos moves e2e4", ("e2e4",))):
            with self.subTest(command=command):
                padded = command.ljust(LINE_LIMIT)
                script = padded + "\n" + ("go depth 1\n" if moves else "")
                code, lines = run_script("position startpos\n" + script + "isready\n")
                self.assertEqual(code, 0)
                self.assertEqual(lines[-2:], ["readyok ", ""])
                self.assert_search(lines[:-2], "startpos", moves, depth=1)

    def test_one_character_more_ends_the_program(self):
        # The read fails on the long line: nothing of it and nothing after it is answered.
        code, lines = run_script("position startpos\n" + "go depth 1".ljust(LINE_LIMIT + 1) + "\nisready\n")
        self.assertEqual((code, lines), (0, []))


class Floods(unittest.TestCase):
    def test_isready_thousand_times(self):
        code, lines = run_script("isready\n" * 1000, uci=False)
        self.assertEqual(code, 0)
        self.assertEqual(lines, ["readyok ", ""] * 1000)


class StopAndQuit(Checked):
    """"stop" is silent outside a search and ends one inside it; "quit" ends the process
    with exit code 1 at once, before, during and after a search."""

    def test_between_searches(self):
        for word, code in (("stop", 0), ("quit", 1)):
            with self.subTest(word=word, phase="before go"):
                got, lines = run_script(f"position startpos\n{word}\ngo depth 1\n")
                self.assertEqual(got, code)
                if word == "stop":
                    self.assert_search(lines, "startpos", depth=1)
                else:
                    self.assertEqual(lines, [])
            with self.subTest(word=word, phase="right after bestmove"):
                engine = start_engine(ENGINE)
                try:
                    engine.search("position startpos", "go depth 2")
                    engine.send(word, "isready")
                    engine.close_input()
                    got, rest = engine.finish()
                finally:
                    engine.kill()
                self.assertEqual((got, rest), (code, ["readyok ", ""] if word == "stop" else []))

    def test_during_a_search(self):
        # stop: the iteration running is cut short, its info line and bestmove follow.
        # quit: nothing more is written. Input closed right after "go depth 6" (the
        # search has not ended yet): the search runs to its depth and writes bestmove.
        for action, code in (("stop", 0), ("quit", 1), ("close", 0)):
            with self.subTest(action=action):
                engine = start_engine(ENGINE)
                try:
                    before = []
                    if action == "close":
                        engine.send("position startpos", "go depth 6")
                    else:
                        engine.send("position startpos", "go infinite")
                        before = engine.read_until(lambda line: (m := CURRMOVE.fullmatch(line)) and int(m["depth"]) >= 4)
                        engine.send(action)
                    engine.close_input()
                    got, rest = engine.finish(timeout=30)
                finally:
                    engine.kill()
                self.assertEqual(got, code)
                if action == "quit":
                    self.assertFalse([line for line in rest if line.startswith("bestmove")])
                    continue
                lines = before + rest
                # A cut iteration may leave the root's own check lines; nothing else is allowed.
                if action == "stop":
                    lines = [line for line in lines if not line.startswith("ERROR ")]
                self.assertEqual(diagnostics(lines), [])
                self.assertTrue(rest and rest[-1].startswith("bestmove"), rest[-3:])
                best = bestmove_of(lines)
                self.assertIn(best, self.referee.position("startpos")[2])
                depths = [int(m["depth"]) for m in map(INFO.fullmatch, lines) if m]
                if action == "close":
                    self.assertEqual(depths, [1, 2, 3, 4, 5, 6])
                else:
                    self.assertEqual(depths, list(range(1, len(depths) + 1)))
                    self.assertGreaterEqual(len(depths), 4)


class OddBoards(Checked):
    """Boards that no game reaches, searched to depth 3: the engine answers each with a
    legal bestmove (the legal moves being those of its own rules, kings or none)."""

    CASES = [
        # name, FEN, whether "uci" comes first
        ("no kings", "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w - - 0 1", True),
        ("no kings, before uci", "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR b - - 0 1", False),
        ("a lone queen, nothing else", "8/8/8/3q4/8/8/8/8 b - - 0 1", True),
        ("nine queens a side", "qqqqkqqq/qqpppppp/pp6/8/8/PP6/QQPPPPPP/QQQQKQQQ w - - 0 1", True),
        ("nine white queens against a king", "4k3/8/8/8/8/1QQQ4/QQQQQQ2/4K3 w - - 0 1", True),
        ("32 white pieces", "k7/8/8/8/PPPPPPPP/PPPPPPPP/NNBBRRQQ/RNBQKBNR w - - 0 1", True),
        ("32 black pieces", "rnbqkbnr/rnbqqbnr/pppppppp/pppppppp/8/8/8/K7 b - - 0 1", True),
        ("castling rights without rooks", "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", True),
        ("nobody to move", "8/8/8/8/8/8/8/8 w - - 0 1", True),
    ]

    def test_boards(self):
        for name, fen, uci in self.CASES:
            with self.subTest(board=name):
                code, lines = run_script(f"position fen {fen}\ngo depth 3\n", uci=uci)
                self.assertEqual(code, 0)
                self.assertEqual(diagnostics(lines), [])
                self.assert_search(lines, "fen " + fen, depth=3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
