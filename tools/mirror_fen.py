#!/usr/bin/env python3
"""Colour-mirrors chess positions for the evaluation's symmetry test.

Reads FEN texts, one per line (blank lines and lines starting with '#' are
skipped), and prints each followed by its mirror: ranks reversed, the colours
of all men swapped, the other side to move, no castling rights and no
en-passant square, the move counters kept. The default output is C++
string literals, two per line, ready to paste into
src/eval/symtest_positions.cpp; --plain prints bare FEN lines instead.

Usage: tools/mirror_fen.py [--plain] [FILE]   (standard input without FILE)
"""
import sys


def mirror(fen):
    fields = fen.split()
    if len(fields) != 6:
        raise ValueError("expected six FEN fields: " + fen)
    board, colour, _castling, _ep, fifty, number = fields
    ranks = board.split("/")
    if len(ranks) != 8:
        raise ValueError("expected eight ranks: " + fen)
    mirrored = "/".join(rank.swapcase() for rank in reversed(ranks))
    other = {"w": "b", "b": "w"}[colour]
    return " ".join([mirrored, other, "-", "-", fifty, number])


def main(argv):
    plain = "--plain" in argv
    paths = [a for a in argv if a != "--plain"]
    source = open(paths[0]) if paths else sys.stdin
    for line in source:
        fen = " ".join(line.split())
        if not fen or fen.startswith("#"):
            continue
        if plain:
            print(fen)
            print(mirror(fen))
        else:
            print('    "%s", "%s",' % (fen, mirror(fen)))


if __name__ == "__main__":
    main(sys.argv[1:])
