#!/usr/bin/env python3
"""Fits the win/draw/loss model of src/search/wdl.cpp to the engine's games.

    python3 tools/fit_wdl.py GAMES.jsonl [--holdout K]
    python3 tools/fit_wdl.py --selftest

GAMES.jsonl is what the match runner writes with --jsonl (one game per line:
start FEN, result, and per move its UCI text and the mover's score). Every
position with a centipawn score becomes a sample: the material on the board,
the score from the side to move, and the game's result for that side.

The model: the side to move wins with probability
    1 / (1 + exp((centre(m) - score) / spread(m)))
and loses with the same expression at -score; the rest is the draw. centre
and spread are cubics in m = material / 78 (pawns 1, minors 3, rooks 5,
queens 9, both sides). Fitted by maximum likelihood over all samples; every
K-th game (default 5) is held out and the model's calibration on those games
is printed by score bucket. The last lines are the constants for wdl.cpp.
Standard library only.
"""
import json
import math
import random
import sys

VALUES = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9, "k": 0}
MATERIAL_MIN, MATERIAL_MAX = 8, 78  # as wdl.cpp clamps it
SCORE_LIMIT = 2000  # beyond, the result is settled; such samples only slow the fit


def board_of(fen):
    """Square name -> piece letter, and the side to move ('w' or 'b')."""
    rows, side = fen.split()[0].split("/"), fen.split()[1]
    board = {}
    for r, row in enumerate(rows):
        f = 0
        for ch in row:
            if ch.isdigit():
                f += int(ch)
            else:
                board["abcdefgh"[f] + str(8 - r)] = ch
                f += 1
    return board, side


def play(board, uci):
    """Makes a legal UCI move: castling moves the rook, en passant takes the pawn."""
    src, dst, promo = uci[:2], uci[2:4], uci[4:]
    piece = board.pop(src)
    if piece in "Kk" and dst in board and board[dst] == ("R" if piece == "K" else "r"):
        # Chess960 notation: the king takes its own rook.
        rook_src = dst
        dst = ("g" if dst[0] > src[0] else "c") + src[1]
        board.pop(rook_src)
        board[("f" if dst[0] == "g" else "d") + src[1]] = "R" if piece == "K" else "r"
    elif piece in "Kk" and abs(ord(dst[0]) - ord(src[0])) == 2:
        rook_src = ("h" if dst[0] == "g" else "a") + src[1]
        board[("f" if dst[0] == "g" else "d") + src[1]] = board.pop(rook_src)
    elif piece in "Pp" and src[0] != dst[0] and dst not in board:
        board.pop(dst[0] + src[1], None)
    board[dst] = (promo.upper() if piece == "P" else promo) if promo else piece


def material(board):
    return sum(VALUES[p.lower()] for p in board.values())


def samples_of(game):
    """(material, score, outcome) per scored position: outcome 1 win, 0 draw, -1 loss for the side to move."""
    white_result = {"1-0": 1, "0-1": -1, "1/2-1/2": 0}.get(game["result"])
    if white_result is None:
        return []
    board, side = board_of(game["startFen"])
    out = []
    for m in game["moves"]:
        score = m.get("score") or {}
        if "cp" in score and abs(score["cp"]) <= SCORE_LIMIT:
            out.append((material(board), score["cp"], white_result if side == "w" else -white_result))
        play(board, m["uci"])
        side = "b" if side == "w" else "w"
    return out


def cubic(c, x):
    return ((c[0] * x + c[1]) * x + c[2]) * x + c[3]


def sigmoid(z):
    if z < -60:
        return 0.0
    if z > 60:
        return 1.0
    return 1.0 / (1.0 + math.exp(-z))


def probabilities(params, m, score):
    x = min(max(m, MATERIAL_MIN), MATERIAL_MAX) / 78.0
    centre = max(cubic(params[:4], x), 0.0)
    spread = max(cubic(params[4:], x), 1.0)
    win = sigmoid((score - centre) / spread)
    loss = sigmoid((-score - centre) / spread)
    return win, max(1.0 - win - loss, 0.0), loss


def tally(samples):
    """Counts per (material, score to the nearest 5 cp): [losses, draws, wins].
    The rounding changes the fit by nothing that shows and makes it fast."""
    bins = {}
    for m, s, r in samples:
        bins.setdefault((m, 5 * round(s / 5)), [0, 0, 0])[r + 1] += 1
    return bins


def neg_log_likelihood(params, bins):
    total = 0.0
    for (m, s), counts in bins.items():
        win, draw, loss = probabilities(params, m, s)
        for n, p in zip(counts, (loss, draw, win)):
            if n:
                total -= n * math.log(max(p, 1e-12))
    return total


def minimise(f, x0, step, rounds=400):
    """Coordinate search with shrinking steps: needs no derivatives and is
    robust for eight well-scaled parameters."""
    x, best = list(x0), f(x0)
    step = list(step)
    for _ in range(rounds):
        improved = False
        for i in range(len(x)):
            for sign in (1, -1):
                trial = list(x)
                trial[i] += sign * step[i]
                value = f(trial)
                if value < best:
                    x, best, improved = trial, value, True
                    break
        if not improved:
            step = [s / 2 for s in step]
            if max(step) < 0.01:
                break
    return x, best


# The search runs over each cubic's values at these fractions of the starting
# material, which are nearly independent, rather than over its coefficients,
# which are not.
NODES = (0.25, 0.5, 0.75, 1.0)


def coefficients(values):
    """The cubic through (NODES[i], values[i]), highest power first (Lagrange)."""
    c = [0.0, 0.0, 0.0, 0.0]
    for i, xi in enumerate(NODES):
        basis = [1.0]  # product of (x - xj) / (xi - xj), lowest power first
        for j, xj in enumerate(NODES):
            if j != i:
                basis = [(basis[k - 1] if k > 0 else 0.0) - xj * (basis[k] if k < len(basis) else 0.0)
                         for k in range(len(basis) + 1)]
                basis = [b / (xi - xj) for b in basis]
        for k in range(4):
            c[3 - k] += values[i] * basis[k]
    return c


def fit(samples):
    bins = tally(samples)
    values, nll = minimise(lambda v: neg_log_likelihood(coefficients(v[:4]) + coefficients(v[4:]), bins),
                           [100.0] * 4 + [60.0] * 4, [20.0] * 4 + [10.0] * 4)
    return coefficients(values[:4]) + coefficients(values[4:]), nll / max(len(samples), 1)


BUCKETS = [(-SCORE_LIMIT, -300), (-300, -150), (-150, -60), (-60, -20), (-20, 20), (20, 60), (60, 150), (150, 300),
           (300, SCORE_LIMIT + 1)]


def calibration(params, samples):
    print("score bucket     positions   predicted W/D/L %     observed W/D/L %")
    for lo, hi in BUCKETS:
        chosen = [(m, s, r) for m, s, r in samples if lo <= s < hi]
        if not chosen:
            continue
        predicted = [0.0, 0.0, 0.0]
        observed = [0, 0, 0]
        for m, s, r in chosen:
            for i, p in enumerate(probabilities(params, m, s)):
                predicted[i] += p
            observed[1 - r] += 1
        n = len(chosen)
        print(f"[{lo:5d}, {hi:5d})  {n:9d}   " + " ".join(f"{100 * p / n:5.1f}" for p in predicted) + "     " +
              " ".join(f"{100 * o / n:5.1f}" for o in observed))
    loss = neg_log_likelihood(params, tally(samples)) / max(len(samples), 1)
    print(f"mean log loss on these positions: {loss:.4f}")


def print_constants(params):
    print("constexpr double CENTRE[4] = {" + ", ".join(f"{c:.3f}" for c in params[:4]) + "};")
    print("constexpr double SPREAD[4] = {" + ", ".join(f"{c:.3f}" for c in params[4:]) + "};")


def selftest():
    """Draws results from known parameters and checks that the fit finds a
    model that predicts as well as the true one."""
    rng = random.Random(7)
    truth = [-50.0, 120.0, -40.0, 90.0, 10.0, -20.0, 30.0, 60.0]
    samples = []
    for _ in range(8000):
        m = rng.randint(10, 78)
        s = rng.randint(-600, 600)
        win, draw, loss = probabilities(truth, m, s)
        u = rng.random()
        samples.append((m, s, 1 if u < win else -1 if u < win + loss else 0))
    params, nll = fit(samples)
    true_nll = neg_log_likelihood(truth, tally(samples)) / len(samples)
    ok = nll <= true_nll + 1e-3
    for m in (20, 40, 70):
        for s in (-300, 0, 100, 300):
            got = probabilities(params, m, s)
            want = probabilities(truth, m, s)
            ok = ok and all(abs(a - b) < 0.05 for a, b in zip(got, want))
    print(f"selftest: fitted log loss {nll:.4f}, true {true_nll:.4f}: {'ok' if ok else 'FAILED'}")
    return 0 if ok else 1


def main(argv):
    if argv[1:] == ["--selftest"]:
        return selftest()
    if len(argv) < 2:
        print(__doc__)
        return 2
    holdout = int(argv[argv.index("--holdout") + 1]) if "--holdout" in argv else 5
    fitted, held = [], []
    games = 0
    with open(argv[1]) as f:
        for line in f:
            game = json.loads(line)
            games += 1
            (held if game["game"] % holdout == 0 else fitted).extend(samples_of(game))
    print(f"{games} games: {len(fitted)} positions to fit, {len(held)} held out")
    params, nll = fit(fitted)
    print(f"mean log loss on the fitted positions: {nll:.4f}")
    print("calibration on the held-out games:")
    calibration(params, held)
    print_constants(params)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
