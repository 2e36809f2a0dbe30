#!/usr/bin/env python3
"""Convert a gridded DEM held in an .npz file into a USGS DEM exchange file.

Made for the Jacksboro fault sample that Debian ships in python-matplotlib-data:
an int16 array 'elevation' (row 0 the north row, metres) and the scalars
xmin/xmax (west/east edges, degrees), ymin/ymax (north/south edges, degrees
in that file) and dx/dy (cell size, degrees). The output is geographic
(zone 0, arc-seconds), elevations in metres, one full profile per column,
1024-character blocks without line ends, so it reads as a 1-degree DEM does.

Usage: npz_to_usgs_dem.py [INPUT.npz] [OUTPUT.dem] [--title TEXT]
"""

import argparse
import math
import sys

import numpy as np

DEFAULT_INPUT = "/usr/share/matplotlib/mpl-data/sample_data/jacksboro_fault_dem.npz"
BLOCK = 1024
FIRST_BLOCK_VALUES = 146  # after the 144-character profile header
BLOCK_VALUES = 170


def fortran_d(value, width=24, digits=15):
    """Fortran Dw.d: 0.ddd...D+ee, right-justified."""
    if value == 0:
        text = "0." + "0" * digits + "D+00"
    else:
        mantissa, exponent = ("%.*E" % (digits - 1, abs(value))).split("E")
        text = "0.%sD%+03d" % (mantissa.replace(".", ""), int(exponent) + 1)
        if value < 0:
            text = "-" + text
    if len(text) > width:
        raise ValueError("%r does not fit D%d.%d" % (value, width, digits))
    return text.rjust(width)


def fortran_e(value, width=12, digits=6):
    """Fortran Ew.d, as the spatial resolution fields are written."""
    mantissa, exponent = ("%.*E" % (digits - 1, abs(value))).split("E")
    text = "0.%sE%+03d" % (mantissa.replace(".", ""), int(exponent) + 1)
    if value < 0:
        text = "-" + text
    return text.rjust(width)


def fortran_i(value, width=6):
    text = "%*d" % (width, value)
    if len(text) > width:
        raise ValueError("%d does not fit I%d" % (value, width))
    return text


class Block:
    def __init__(self):
        self.chars = [" "] * BLOCK

    def put(self, offset, text):
        assert offset + len(text) <= BLOCK
        self.chars[offset:offset + len(text)] = list(text)

    def bytes(self):
        return "".join(self.chars).encode("ascii")


def arc_seconds(degrees):
    """Degrees to arc-seconds, snapped to the micro-second so posts that sit
    on whole seconds come out whole."""
    return round(degrees * 3600.0, 6)


def record_a(title, corners, low, high, resolution, profiles):
    a = Block()
    a.put(0, title[:40])
    a.put(144, fortran_i(1))  # DEM level code
    a.put(150, fortran_i(1))  # elevation pattern: regular grid
    a.put(156, fortran_i(0))  # planimetric reference system: geographic
    a.put(162, fortran_i(0))  # zone: none for geographic
    for i in range(15):  # projection parameters: unused when geographic
        a.put(168 + 24 * i, fortran_d(0.0))
    a.put(528, fortran_i(3))  # planimetric units: arc-seconds
    a.put(534, fortran_i(2))  # elevation units: metres
    a.put(540, fortran_i(4))  # sides of the quadrangle
    for i, value in enumerate(corners):
        a.put(546 + 24 * i, fortran_d(value))
    a.put(738, fortran_d(float(low)))
    a.put(762, fortran_d(float(high)))
    a.put(786, fortran_d(0.0))  # angle of the grid to the primary axis
    a.put(810, fortran_i(0))  # accuracy code: no accuracy record follows
    for i, value in enumerate(resolution):
        a.put(816 + 12 * i, fortran_e(value))
    a.put(852, fortran_i(1))  # rows of profiles
    a.put(858, fortran_i(profiles))
    return a.bytes()


def record_b(column, x, y, values):
    blocks = []
    b = Block()
    b.put(0, fortran_i(1) + fortran_i(column) + fortran_i(len(values)) + fortran_i(1))
    b.put(24, fortran_d(x) + fortran_d(y))
    b.put(72, fortran_d(0.0))  # local datum: elevations are absolute
    b.put(96, fortran_d(float(values.min())) + fortran_d(float(values.max())))
    offset, room = 144, FIRST_BLOCK_VALUES
    for v in values:
        if room == 0:
            blocks.append(b.bytes())
            b, offset, room = Block(), 0, BLOCK_VALUES
        b.put(offset, fortran_i(int(v)))
        offset += 6
        room -= 1
    blocks.append(b.bytes())
    return b"".join(blocks)


def convert(npz_path, title):
    data = np.load(npz_path)
    elevation = data["elevation"]
    rows, cols = elevation.shape
    if not np.issubdtype(elevation.dtype, np.integer):
        sys.exit("elevations must be whole metres")
    step_x = arc_seconds(float(data["dx"]))
    step_y = arc_seconds(float(data["dy"]))
    # The file gives cell edges; the exchange format places posts, so the
    # outermost posts sit half a cell inside the edges.
    west = arc_seconds(float(data["xmin"])) + step_x / 2
    north = arc_seconds(float(data["ymin"])) - step_y / 2
    east = west + step_x * (cols - 1)
    south = north - step_y * (rows - 1)
    if not math.isclose(east + step_x / 2, arc_seconds(float(data["xmax"])), abs_tol=1e-3):
        sys.exit("xmax does not match the grid")
    if not math.isclose(south - step_y / 2, arc_seconds(float(data["ymax"])), abs_tol=1e-3):
        sys.exit("ymax does not match the grid")

    corners = [west, south, west, north, east, north, east, south]
    out = [record_a(title, corners, elevation.min(), elevation.max(),
                    (step_x, step_y, 1.0), cols)]
    for c in range(cols):
        # Profiles run south to north; the array's row 0 is the north row.
        out.append(record_b(c + 1, west + step_x * c, south, elevation[::-1, c]))
    return b"".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("input", nargs="?", default=DEFAULT_INPUT)
    parser.add_argument("output", nargs="?", default="data/jacksboro.dem")
    parser.add_argument("--title", default="JACKSBORO FAULT, TN")
    args = parser.parse_args()
    with open(args.output, "wb") as f:
        f.write(convert(args.input, args.title))


if __name__ == "__main__":
    main()
