#!/usr/bin/env python3
"""The engine behind Debian's polyglot adapter, spoken to in the xboard protocol.

    polyglot_test.py ENGINE LEGAL_MOVES [unittest arguments]

Exits with 77 (skipped) when polyglot is not installed. The adapter gets an ini file
in a temporary directory naming ENGINE as its engine; its log, kept there too, shows
what it sent the engine. Every "move" the adapter relays must be legal in the game so
far, as the legal_moves tool computes it.
"""
import os
import shutil
import sys
import tempfile
import unittest

from engine_pipe import Engine, Referee

SKIPPED = 77
ENGINE = LEGAL_MOVES = POLYGLOT = None
MATE_IN_ONE = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1"  # Ra1-a8 mates


class Adapter(Engine):
    def __init__(self, workdir):
        self.log = os.path.join(workdir, "adapter.log")
        ini = os.path.join(workdir, "zarnik.ini")
        with open(ini, "w") as f:
            f.write("[PolyGlot]\n"
                    f"EngineCommand={ENGINE}\n"
                    f"EngineDir={workdir}\n"
                    "Book=false\n"
                    "Log=true\n"
                    f"LogFile={self.log}\n")
        super().__init__([POLYGLOT, ini])
        self.send("xboard", "protover 2")
        self.features = self.read_until(lambda line: line == "feature done=1")
        # The clock of both sides at 10 s: the engine then gets about 40 ms an iteration.
        self.send("new", "level 0 1 0")

    def engine_move(self, *commands):
        self.send("time 1000", "otim 1000", *commands)
        line = self.read_until(lambda line: line.startswith("move "))[-1]
        return line.split()[1]

    def sent_to_engine(self):
        with open(self.log, errors="replace") as f:
            return [line.split("Adapter->Engine: ", 1)[1].rstrip("\n") for line in f if "Adapter->Engine: " in line]


class Xboard(unittest.TestCase):
    def setUp(self):
        self.workdir = tempfile.TemporaryDirectory()
        self.adapter = Adapter(self.workdir.name)
        self.referee = Referee(LEGAL_MOVES)

    def tearDown(self):
        self.adapter.kill()
        self.referee.close()
        self.workdir.cleanup()

    def quit(self):
        self.adapter.send("quit")
        code, _ = self.adapter.finish()
        self.assertEqual(code, 0)

    def test_handshake_and_options(self):
        # The name comes from the engine's "id name"; its Hash option is reached
        # through the xboard "memory" command.
        names = [line for line in self.adapter.features if line.startswith('feature myname="')]
        self.assertEqual(len(names), 1, self.adapter.features)
        self.assertIn("Zarnik", names[0])
        self.assertIn("feature memory=1", self.adapter.features)
        self.adapter.send("memory 16", "ping 7")
        self.assertEqual(self.adapter.read_until(lambda line: line.startswith("pong"))[-1], "pong 7")
        self.quit()
        sent = self.adapter.sent_to_engine()
        self.assertEqual(sent[0], "uci")
        self.assertIn("setoption name Hash value 16", sent)

    def test_moves_relayed_are_legal(self):
        # The engine answers as black, then a "go" in force mode makes it play the side
        # to move; our own moves are the first legal move each time.
        moves = ["e2e4"]
        moves.append(self.adapter.engine_move("usermove e2e4"))
        for _ in range(3):
            _, _, legal = self.referee.position("startpos", moves)
            moves.append(legal[0])
            moves.append(self.adapter.engine_move("usermove " + legal[0]))
        self.adapter.send("force")
        _, _, legal = self.referee.position("startpos", moves)
        moves.append(legal[0])
        self.adapter.send("usermove " + legal[0])
        moves.append(self.adapter.engine_move("go"))
        self.referee.position("startpos", moves)  # raises on the first illegal move
        self.quit()

    def test_mate_found_from_setboard(self):
        self.adapter.send("force", "setboard " + MATE_IN_ONE)
        move = self.adapter.engine_move("go")
        _, check, legal = self.referee.position("fen " + MATE_IN_ONE, [move])
        self.assertEqual((check, legal), (True, []), f"{move} does not mate")
        self.assertEqual(self.adapter.next_line(), "1-0 {White mates}")
        self.quit()


if __name__ == "__main__":
    POLYGLOT = shutil.which("polyglot") or shutil.which("polyglot", path="/usr/games")
    if not POLYGLOT:
        print("polyglot is not installed (Debian: apt-get install --no-install-recommends polyglot): skipped")
        sys.exit(SKIPPED)
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    ENGINE, LEGAL_MOVES = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
