"""Fonts 1 (6 x 7) and 2 (6 x 12): provisional placeholder shapes."""
from fontgen import coverage


def _placeholder(height, box_rows):
    rows = [0] * height
    rows[1] = 30
    for r in range(2, box_rows):
        rows[r] = 18
    rows[box_rows] = 30
    return rows


def font1():
    font = {c: _placeholder(7, 5) for c in coverage(1)}
    font[ord("A")] = [0, 12, 18, 30, 18, 82, 64]
    return font


def font2():
    font = {c: _placeholder(12, 9) for c in coverage(2)}
    font[ord("A")] = [0, 28, 34, 34, 98, 92, 98, 98, 98, 98, 64, 0]
    return font
