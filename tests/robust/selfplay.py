#!/usr/bin/env python3
"""Self-play soak: the engine plays whole games against itself through the protocol.

    selfplay.py ENGINE LEGAL_MOVES [--games N] [--go "go depth 3"] [--max-plies 150]
                [--openings FILE.epd]

Each game is one engine process: "uci", then for every ply "position ... moves ..."
with the game so far and the go command. Every answer must be a legal move of the
position (as the legal_moves tool computes it), every iteration must report each legal
root move once, and no self-check line ("ERROR ", "white test_") may appear. A game ends
at mate or stalemate (where the engine, asked once more, must answer "bestmove 0000"
with the score its rules give), at a threefold repetition, or after --max-plies plies;
then "quit" must end the process with exit code 1. The openings are a few built-in
ones, followed by the positions of an EPD file when one is given.
"""
import argparse
import sys
import time
from collections import Counter

from engine_pipe import CURRMOVE, INFO, Failure, Referee, bestmove_of, diagnostics, start_engine

OPENINGS = [
    "startpos",
    "fen rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2",
    "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "fen n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
]


def epd_openings(path):
    with open(path) as f:
        return ["fen " + " ".join(line.split()[:4]) + " 0 1" for line in f if line.strip()]


def position_command(setup, moves):
    return "position " + setup + (" moves " + " ".join(moves) if moves else "")


# The lines a search writes when a stop cut an iteration short: the root moves after
# the stop score 0, which may beat the principal variation's score, and the best move
# may then differ from the variation's first move. Here only the hard time limit (50
# times a move time) stops a search.
CUT_SEARCH_LINES = {"ERROR white value ", "ERROR black value ", "ERROR from(Deepening)", "ERROR to(Deepening)"}
HARD_LIMIT_FACTOR = 50


def hard_limit_of(go):
    """Seconds after which an iteration of this go command is stopped, or None."""
    words = go.split()
    return HARD_LIMIT_FACTOR * int(words[words.index("movetime") + 1]) / 1000 if "movetime" in words else None


def check_search(lines, after, legal, where, hard_limit):
    """The lines of one search up to its bestmove, and those it wrote after bestmove;
    returns the move."""
    best = bestmove_of(lines)
    numbers, cut = {}, False
    for line in lines[:-1]:
        if m := CURRMOVE.fullmatch(line):
            numbers.setdefault(int(m["depth"]), []).append(int(m["number"]))
        elif m := INFO.fullmatch(line):
            reported = numbers.get(int(m["depth"]), [])
            if len(reported) != len(legal):
                raise Failure(f"{where}: depth {m['depth']} reported {len(reported)} root moves, "
                              f"the position has {len(legal)}")
            # A stop shows as a currmove number that no longer advances or, when it came
            # during the last root move, as an iteration that lasted the hard limit
            # (its duration is nodes / nps).
            cut = cut or reported != list(range(1, len(reported) + 1))
            nps = int(m["nps"])
            cut = cut or (hard_limit is not None and nps > 0 and int(m["nodes"]) / nps >= 0.98 * hard_limit)
        elif not line.startswith("ERROR "):
            raise Failure(f"{where}: unexpected line {line!r}")
    found = diagnostics(lines + after)
    if [line for line in found if not (cut and line in CUT_SEARCH_LINES)]:
        shown = [line for line in lines + after if not line.startswith("info currmove")]
        raise Failure(f"{where}: self-check lines {found} (iteration cut short: {cut}); "
                      f"the search without its currmove lines: {shown}")
    if [line for line in after if line not in found]:
        raise Failure(f"{where}: after bestmove: {after}")
    return best


def play_game(engine_path, referee, setup, go, max_plies):
    """Plays one game; returns (how it ended, plies)."""
    engine = start_engine(engine_path)
    try:
        engine.send("ucinewgame")
        moves, seen = [], Counter()
        while True:
            key, check, legal = referee.position(setup, moves)
            seen[key] += 1
            where = f"{setup} after {len(moves)} plies ({' '.join(moves[-6:])})"
            if not legal:
                lines = engine.search(position_command(setup, moves), "go depth 1")
                if bestmove_of(lines) != "0000":
                    raise Failure(f"{where}: no legal move, yet {lines[-1]!r}")
                score = next(m for m in map(INFO.fullmatch, lines) if m)
                wanted = ("mate", "0") if check else ("cp", "0")
                if (score["kind"], score["score"]) != wanted:
                    raise Failure(f"{where}: {'mated' if check else 'stalemate'}, yet {score.group(0)!r}")
                ending = "mate" if check else "stalemate"
                break
            if seen[key] >= 3:
                ending = "repetition"
                break
            if len(moves) >= max_plies:
                ending = "ply limit"
                break
            lines = engine.search(position_command(setup, moves), go)
            engine.send("isready")
            after = engine.read_until(lambda line: line == "readyok ")[:-1]
            if engine.next_line() != "":
                raise Failure(f"{where}: readyok is not followed by an empty line")
            best = check_search(lines, after, legal, where, hard_limit_of(go))
            if best not in legal:
                raise Failure(f"{where}: bestmove {best} is not legal; legal: {' '.join(legal)}")
            moves.append(best)
        engine.send("quit")
        code, rest = engine.finish()
        if code != 1 or rest:
            raise Failure(f"quit gave exit code {code} and output {rest}")
        return ending, len(moves)
    finally:
        engine.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine")
    parser.add_argument("legal_moves")
    parser.add_argument("--games", type=int, default=2)
    parser.add_argument("--go", default="go depth 3")
    parser.add_argument("--max-plies", type=int, default=150)
    parser.add_argument("--openings", help="an EPD file whose positions follow the built-in openings")
    args = parser.parse_args()

    openings = OPENINGS + (epd_openings(args.openings) if args.openings else [])
    referee = Referee(args.legal_moves)
    failed = 0
    try:
        for game in range(args.games):
            setup = openings[game % len(openings)]
            began = time.monotonic()
            try:
                ending, plies = play_game(args.engine, referee, setup, args.go, args.max_plies)
                print(f"ok   game {game + 1}: {setup}: {ending} after {plies} plies "
                      f"({time.monotonic() - began:.1f} s)")
            except (Failure, OSError) as failure:
                failed += 1
                print(f"FAIL game {game + 1}: {setup}: {failure!r}")
    finally:
        referee.close()
    print(f"{args.games - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
