#!/usr/bin/env python3
"""Converts Natural Earth's countries and land (TopoJSON, from the world-atlas npm package)
into data/basemap.txt, the compact base map Sirenwatch draws under its stations.

    npm pack world-atlas && tar xzf world-atlas-*.tgz
    scripts/make-basemap.py package/countries-50m.json data/basemap.txt

The output keeps the TopoJSON quantization. After the header lines ("#" comments and one
"grid" line: the longitude and latitude step in degrees and the origin), each line is one
land ring ("L ") or one piece of border between countries ("B "): x,y pairs of grid steps,
the first from the origin and every later one from the one before, each number written as
in Google's encoded polyline format (printable characters, no blanks).
"""
import json
import sys

TOLERANCE = 1.5  # grid steps: about 400 m by 200 m, finer than the 1:50m data itself


def decode_arcs(topology):
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x, y))
        arcs.append(points)
    return arcs


def simplify(points, tolerance):
    """Douglas-Peucker on grid steps; arcs keep their ends, so neighbours still meet."""
    if len(points) < 3:
        return points
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        (x1, y1), (x2, y2) = points[first], points[last]
        length = ((x2 - x1) ** 2 + (y2 - y1) ** 2) ** 0.5
        farthest, distance = None, tolerance
        for i in range(first + 1, last):
            x, y = points[i]
            d = (abs((x2 - x1) * (y1 - y) - (x1 - x) * (y2 - y1)) / length if length
                 else ((x - x1) ** 2 + (y - y1) ** 2) ** 0.5)
            if d > distance:
                farthest, distance = i, d
        if farthest is not None:
            keep[farthest] = True
            stack += [(first, farthest), (farthest, last)]
    return [p for p, k in zip(points, keep) if k]


def arc_points(arcs, index):
    return arcs[index] if index >= 0 else list(reversed(arcs[~index]))


def ring_points(arcs, ring):
    points = []
    for index in ring:
        part = arc_points(arcs, index)
        points.extend(part if not points else part[1:])
    return points


def polygons(geometry):
    if geometry["type"] == "Polygon":
        return [geometry["arcs"]]
    if geometry["type"] == "MultiPolygon":
        return geometry["arcs"]
    return []


def border_arcs(countries):
    """Arcs between two different countries: the land's outline is drawn with the land."""
    users = {}
    for number, geometry in enumerate(countries["geometries"]):
        for polygon in polygons(geometry):
            for ring in polygon:
                for index in ring:
                    users.setdefault(index if index >= 0 else ~index, set()).add(number)
    return sorted(arc for arc, who in users.items() if len(who) > 1)


def encode_number(value):
    """One number as in Google's encoded polylines: 5-bit groups, low first, 63 added."""
    value = ~(value << 1) if value < 0 else value << 1
    out = ""
    while value >= 0x20:
        out += chr((0x20 | (value & 0x1F)) + 63)
        value >>= 5
    return out + chr(value + 63)


def encode(points):
    out, px, py = [], 0, 0
    for x, y in points:
        out.append(encode_number(x - px) + encode_number(y - py))
        px, py = x, y
    return "".join(out)


def main(source, target):
    topology = json.load(open(source))
    arcs = [simplify(arc, TOLERANCE) for arc in decode_arcs(topology)]
    scale, translate = topology["transform"]["scale"], topology["transform"]["translate"]
    lines = [
        "# Sirenwatch base map: land and country borders, Natural Earth 1:50m (public domain,",
        "# naturalearthdata.com), from the world-atlas npm package 2.0.2 (countries-50m.json,",
        "# ISC licence for the packaging), converted by scripts/make-basemap.py",
        f"# (lines simplified within {TOLERANCE} grid steps).",
        f"grid {scale[0]!r} {scale[1]!r} {translate[0]!r} {translate[1]!r}",
    ]
    for geometry in topology["objects"]["land"]["geometries"]:
        for polygon in polygons(geometry):
            for ring in polygon:
                lines.append("L " + encode(ring_points(arcs, ring)))
    for arc in border_arcs(topology["objects"]["countries"]):
        lines.append("B " + encode(arcs[arc]))
    with open(target, "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
