#!/usr/bin/env python3
"""Writes a 3D_raw model of a stepped turned part: a closed surface of revolution about
the z axis, made of cylinders of different radii joined by flat shoulders and closed by
flat ends. The profile generator turns it into the example rotary project.

    scripts/make_turned_part.py [--segments N] [OUT]   (default examples/rotary/turned_part.raw)
"""
import argparse
import math

# (radius, height) of the outline from the bottom to the top, mm.
OUTLINE = [(30, 0), (30, 20), (20, 20), (20, 40), (25, 40), (25, 60), (10, 60), (10, 70)]


def ring(radius, z, segments):
    return [(radius * math.cos(2 * math.pi * i / segments), radius * math.sin(2 * math.pi * i / segments), z)
            for i in range(segments)]


def triangles(segments):
    rings = [ring(r, z, segments) for r, z in OUTLINE]
    bottom_centre, top_centre = (0.0, 0.0, OUTLINE[0][1]), (0.0, 0.0, OUTLINE[-1][1])
    out = []
    for i in range(segments):
        j = (i + 1) % segments
        # Ends first, facing outward (down at the bottom, up at the top).
        out.append((bottom_centre, rings[0][j], rings[0][i]))
        for lower, upper in zip(rings, rings[1:]):
            out.append((lower[i], lower[j], upper[j]))
            out.append((lower[i], upper[j], upper[i]))
        out.append((top_centre, rings[-1][i], rings[-1][j]))
    return out


def number(value):
    text = f"{value:.4f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", nargs="?", default="examples/rotary/turned_part.raw")
    parser.add_argument("--segments", type=int, default=24, help="facets around the axis (default 24)")
    args = parser.parse_args()
    lines = ["turned_part"]
    for t in triangles(args.segments):
        lines.append(" ".join(number(c) for v in t for c in v))
    with open(args.out, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
