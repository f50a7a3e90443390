#!/usr/bin/env python3
"""Random search dialogues against the engine, the way a busy GUI drives it.

Games are played from a set of start positions with the engine's own best
moves, each searched with a random kind of "go" (depth, nodes, movetime,
clocks, infinite, ponder, mate, searchmoves), with "stop", "ponderhit" and
"isready" at random moments and option changes in between; clocks are often
empty or overdrawn. It checks that every "go" gets exactly one "bestmove"
within its own limit plus a margin (for an infinite or ponder search, from
the "stop" or "ponderhit"), that the best move, the ponder move and the last
principal variation are playable, and that the engine never hangs, crashes
or reports a sanitizer error. The number of search threads changes at
random between searches too. A third of the games are Chess960, with
UCI_Chess960 on, from random start positions and from positions where
castling is at hand. Run it against the sanitizer builds for the
most value:

    tools/uci_search_fuzz.py build/asan/corvantis --seconds 300 --seed 7
    tools/uci_search_fuzz.py build/tsan/corvantis --seconds 300 --seed 7

The dialogue is written to --log, so a failure can be replayed.
"""
import argparse
import os
import random
import select
import subprocess
import sys
import tempfile
import time

START_POSITIONS = [
    "startpos",
    "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "fen 4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1",
    "fen r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R w KQkq - 0 1",
    "fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "fen 8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",
    "fen 7k/8/5K2/8/8/8/8/6Q1 w - - 0 1",
    "fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
    "fen 8/5pk1/6p1/8/8/6P1/4BPK1/2b5 w - - 98 80",
    "fen 8/8/8/8/8/k7/8/K7 w - - 0 1",
]

# Played with UCI_Chess960 on, besides random start positions.
CHESS960_POSITIONS = [
    "fen 1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w GBgb - 0 1",
    "fen 2rk3r/pppppppp/8/8/8/8/PPPPPPPP/2RK3R w HChc - 0 1",
    "fen r5kr/pppppppp/8/8/8/8/PPPPPPPP/R5KR w HAha - 0 1",
    "fen 1rk2r2/pppppppp/8/8/8/8/PPPPPPPP/R4K1R b HAfb - 0 1",
    "fen 4rkr1/4p1p1/8/8/8/8/6PP/6KR w H - 0 1",
    "fen rk5r/8/8/8/8/8/8/RK5R w KQkq - 0 1",
]


def chess960_start(r):
    """A random Chess960 start position: bishops on both colours, the king between the rooks."""
    rank = [None] * 8
    rank[r.choice(range(0, 8, 2))] = "B"
    rank[r.choice(range(1, 8, 2))] = "B"
    for piece in "QNN":
        rank[r.choice([i for i in range(8) if rank[i] is None])] = piece
    rooks_and_king = [i for i in range(8) if rank[i] is None]
    for i, piece in zip(rooks_and_king, "RKR"):
        rank[i] = piece
    white = "".join(rank)
    rights = "".join("ABCDEFGH"[i] for i in reversed(rooks_and_king[::2]))
    return "fen %s/pppppppp/8/8/8/8/PPPPPPPP/%s w %s%s - 0 1" % (white.lower(), white, rights, rights.lower())


OPTION_CHANGES = [
    lambda r: "setoption name MultiPV value %d" % r.choice([1, 1, 2, 5, 300]),
    lambda r: "setoption name Hash value %d" % r.choice([8, 16, 32]),
    lambda r: "setoption name UCI_LimitStrength value %s" % r.choice(["true", "false", "false"]),
    lambda r: "setoption name Ponder value %s" % r.choice(["true", "false"]),
    lambda r: "setoption name UCI_AnalyseMode value %s" % r.choice(["true", "false"]),
    lambda r: "setoption name NullMove value %s" % r.choice(["true", "false"]),
    lambda r: "setoption name ClearHash",
    lambda r: "setoption name Threads value %d" % r.choice([1, 1, 2, 3, 4]),
]


# How long a search may take beyond its own limit before its missing answer
# counts as a hang: generous, for the sanitizer build on a loaded machine.
MARGIN_S = 5.0
# A depth or node search has no time limit of its own; these are small ones.
UNTIMED_S = 60.0


def clock(r):
    """A clock reading, often empty or overdrawn as GUIs with a margin send them."""
    return r.choice([r.randint(1, 3000), r.randint(1, 3000), r.randint(1, 50), 0, -r.randint(1, 100)])


def random_go(r, moves):
    """A "go" command and its own time limit in seconds (None: it waits for "stop")."""
    kind = r.random()
    if kind < 0.25:
        cmd, limit = "go depth %d" % r.randint(1, 9), UNTIMED_S
    elif kind < 0.40:
        cmd, limit = "go nodes %d" % r.randint(1, 20000), UNTIMED_S
    elif kind < 0.55:
        t = r.choice([r.randint(1, 80), 0])
        cmd, limit = "go movetime %d" % t, t / 1000
    elif kind < 0.75:
        w, b = clock(r), clock(r)
        cmd = "go wtime %d btime %d winc %d binc %d" % (w, b, r.choice([0, 0, 10, 100]), r.choice([0, 10]))
        if r.random() < 0.5:
            cmd += " movestogo %d" % r.choice([r.randint(1, 40), 1])
        limit = max(w, b, 0) / 1000
    elif kind < 0.80:
        cmd, limit = "go infinite", None
    elif kind < 0.85:
        cmd, limit = r.choice([("go mate %d" % r.randint(1, 4), None), ("go depth 0", UNTIMED_S),
                               ("go nodes 1", UNTIMED_S), ("go movetime 0", 0.0)])
    else:
        cmd, limit = "go ponder wtime %d btime %d" % (r.randint(100, 2000), r.randint(100, 2000)), None
    if moves and r.random() < 0.1:
        cmd += " searchmoves " + " ".join(moves[-2:])
    return cmd, limit


class Failure(Exception):
    pass


class Engine:
    def __init__(self, binary, log):
        self.proc = subprocess.Popen([os.path.abspath(binary)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, bufsize=0, cwd=tempfile.gettempdir())
        self.pending = b""
        self.log = log
        self.read_line(5)  # the header

    def send(self, line):
        self.log.write(line + "\n")
        self.log.flush()
        self.proc.stdin.write((line + "\n").encode())

    def read_line(self, timeout):
        deadline = time.time() + timeout
        while b"\n" not in self.pending:
            ready, _, _ = select.select([self.proc.stdout], [], [], max(0.0, deadline - time.time()))
            chunk = os.read(self.proc.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                return None
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode(errors="replace")

    def read_until(self, done, timeout=30, deadline=None):
        """Lines up to the first that passes done; a failure when a line takes
        longer than timeout or all of them longer than the deadline (a time)."""
        lines = []
        while True:
            wait = timeout if deadline is None else min(timeout, max(0.0, deadline - time.time()))
            line = self.read_line(wait)
            if line is None:
                late = deadline is not None and time.time() >= deadline
                raise Failure("%s; last lines: %r" % ("no answer by the deadline" if late else "no answer (hang or exit)",
                                                      lines[-5:]))
            lines.append(line)
            if done(line):
                return lines

    def ask(self, command):
        """What the command prints before the answer to "isready"."""
        self.send(command)
        self.send("isready")
        return self.read_until(lambda line: line == "readyok")[:-1]

    def expect_playable(self, position, moves, what):
        complaints = [l for l in self.ask(position_command(position, moves)) if l.startswith("info string")]
        if complaints:
            raise Failure("%s not playable: %s -> %r" % (what, " ".join(moves), complaints))


def position_command(base, moves):
    return "position %s%s" % (base, " moves " + " ".join(moves) if moves else "")


def play_game(engine, r):
    chess960 = r.random() < 0.33  # fixed for the game: it decides how castling is written
    engine.send("setoption name UCI_Chess960 value %s" % ("true" if chess960 else "false"))
    if chess960:
        base = chess960_start(r) if r.random() < 0.5 else r.choice(CHESS960_POSITIONS + START_POSITIONS)
    else:
        base = r.choice(START_POSITIONS)
    moves = []
    if r.random() < 0.3:
        engine.send("ucinewgame")
    searches = 0
    for _ in range(r.randint(1, 40)):
        if r.random() < 0.28:
            engine.send(r.choice(OPTION_CHANGES)(r))
        engine.expect_playable(base, moves, "the game so far")
        cmd, limit = random_go(r, moves)
        engine.send(cmd)
        searches += 1
        if limit is None:  # these wait for the GUI
            time.sleep(r.random() * 0.2)
            if r.random() < 0.3:
                engine.send("isready")
            if "ponder" in cmd and r.random() < 0.5:
                engine.send("ponderhit")  # from here the search runs on its clock
                limit = max(int(word) for word in cmd.split()[3:7:2]) / 1000
            else:
                engine.send("stop")
                limit = 0.0
        deadline = time.time() + limit + MARGIN_S
        lines = engine.read_until(lambda line: line.startswith("bestmove"), deadline=deadline)
        extra = engine.ask("")
        if any(line.startswith("bestmove") for line in extra):
            raise Failure("two answers to %s" % cmd)
        best = lines[-1].split()
        if best[1] == "0000":
            break
        engine.expect_playable(base, moves + best[1::2], "best and ponder move of " + cmd)
        pvs = [l.split(" pv ")[1].split() for l in lines if l.startswith("info depth") and " pv " in l]
        if pvs:
            engine.expect_playable(base, moves + pvs[-1], "principal variation of " + cmd)
        moves.append(best[1])
    return searches


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary")
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--log", default=os.path.join(tempfile.gettempdir(), "uci_search_fuzz.log"))
    args = parser.parse_args()
    r = random.Random(args.seed)
    with open(args.log, "w") as log:
        engine = Engine(args.binary, log)
        games = searches = 0
        start = time.time()
        try:
            while time.time() - start < args.seconds:
                searches += play_game(engine, r)
                games += 1
            engine.send("quit")
            engine.proc.wait(10)
        except (Failure, subprocess.TimeoutExpired) as failure:
            engine.proc.kill()
            print("FAILED:", failure, "\ndialogue in", args.log)
            print(engine.proc.stderr.read().decode(errors="replace")[-3000:])
            return 1
    errors = engine.proc.stderr.read().decode(errors="replace")
    if engine.proc.returncode != 0 or any(word in errors for word in ("ERROR", "runtime error", "ThreadSanitizer")):
        print("FAILED: exit status %d\n%s" % (engine.proc.returncode, errors[-3000:]))
        return 1
    print("ok: %d games, %d searches" % (games, searches))
    return 0


if __name__ == "__main__":
    sys.exit(main())
