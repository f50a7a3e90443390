#!/usr/bin/env python3
"""Fits the node budget of the weakened engine (src/search/strength.cpp).

    python3 tools/fit_strength.py ELO:NODES:GAMES.jsonl ... [--name Corvantis]
    python3 tools/fit_strength.py --selftest

Each argument is one match the runner wrote with --jsonl: the engine at
UCI_Elo ELO with a budget of NODES nodes a move against a reference engine
at the same UCI_Elo. The engine's performance in a match is the level plus
the Elo difference its score implies; the fit is
    performance = offset + scale * ln(nodes)
by weighted least squares (weights 1 / variance of each performance), so
the budget that makes the engine play at level X is
    e^((X - offset) / scale).
The draws of random evaluation values at each level are part of what the
matches measured, so the fit holds for the level schedule they were played
with. Prints each match's result and the fitted constants. Standard library
only.
"""
import json
import math
import random
import sys


def tally(path, name):
    """Wins, draws and losses of the player called name."""
    w = d = l = 0
    with open(path) as f:
        for line in f:
            game = json.loads(line)
            if game["result"] == "1/2-1/2":
                d += 1
            elif (game["result"] == "1-0") == (game["white"] == name):
                w += 1
            else:
                l += 1
    return w, d, l


def elo_of(w, d, l):
    """Elo difference implied by a result, and its standard error."""
    n = w + d + l
    s = (w + d / 2) / n
    s = min(max(s, 0.25 / n), 1 - 0.25 / n)  # a clean sweep still bounds the level
    var = (w * (1 - s) ** 2 + d * (0.5 - s) ** 2 + l * s**2) / n
    var = max(var, 0.05)  # as if a few results had gone the other way
    diff = 400 * math.log10(s / (1 - s))
    error = math.sqrt(var / n) * 400 / (math.log(10) * s * (1 - s))
    return diff, error


def fit(runs):
    """runs: (level, nodes, w, d, l) -> (offset, scale)."""
    rows = []
    for level, nodes, w, d, l in runs:
        diff, error = elo_of(w, d, l)
        rows.append((math.log(nodes), level + diff, 1 / error**2))
    sw = sum(r[2] for r in rows)
    mx = sum(r[2] * r[0] for r in rows) / sw
    my = sum(r[2] * r[1] for r in rows) / sw
    sxx = sum(r[2] * (r[0] - mx) ** 2 for r in rows)
    sxy = sum(r[2] * (r[0] - mx) * (r[1] - my) for r in rows)
    scale = sxy / sxx
    return my - scale * mx, scale


def budget(level, offset, scale):
    return math.exp((level - offset) / scale)


def selftest():
    """Matches simulated from a known budget law; the fit must find the law."""
    rng = random.Random(1)
    offset, scale = 80.0, 230.0
    runs = []
    for level in (1500, 2000, 2500):
        for factor in (0.5, 1, 2):
            nodes = budget(level, offset, scale) * factor
            diff = offset + scale * math.log(nodes) - level
            win = 1 / (1 + 10 ** (-diff / 400))
            w = d = l = 0
            for _ in range(400):
                r = rng.random()
                if r < 0.1:
                    d += 1
                elif r < 0.1 + 0.9 * win:
                    w += 1
                else:
                    l += 1
            runs.append((level, nodes, w, d, l))
    o, s = fit(runs)
    ratios = [budget(x, o, s) / budget(x, offset, scale) for x in (1500, 2000, 2500)]
    ok = all(0.75 < r < 1.33 for r in ratios)
    print(f"selftest: offset {o:.1f} scale {s:.1f} (true {offset}, {scale}); "
          f"budget ratios {', '.join(f'{r:.2f}' for r in ratios)}: {'ok' if ok else 'FAILED'}")
    return 0 if ok else 1


def main(argv):
    if argv[1:] == ["--selftest"]:
        return selftest()
    name = "Corvantis"
    args = argv[1:]
    if "--name" in args:
        i = args.index("--name")
        name = args[i + 1]
        del args[i:i + 2]
    if not args:
        print(__doc__)
        return 2
    runs = []
    print("| UCI_Elo | nodes | W / D / L | Elo vs its word (95%) | performance |")
    print("|---|---|---|---|---|")
    for arg in args:
        level, nodes, path = arg.split(":", 2)
        w, d, l = tally(path, name)
        diff, error = elo_of(w, d, l)
        runs.append((int(level), float(nodes), w, d, l))
        print(f"| {level} | {nodes} | {w} / {d} / {l} | {diff:+.0f} ± {1.96 * error:.0f} | {int(level) + diff:.0f} |")
    if len({(r[1]) for r in runs}) < 2:
        print("need matches at two budgets or more")
        return 1
    offset, scale = (round(x, 1) for x in fit(runs))  # as the source holds them
    print(f"\nkBudgetOffset = {offset}, kBudgetScale = {scale}")
    for level in (1000, 1500, 2000, 2500, 2800):
        print(f"  UCI_Elo {level}: {int(budget(level, offset, scale))} nodes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
