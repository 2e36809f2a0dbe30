#!/usr/bin/env python3
"""Write the small seed files the fuzz targets start from: fuzz/corpus/<target>/.

A fuzzer explores from what its seeds reach; a seed of a megabyte costs a
run per second where a header and a few records cost hundreds. So every
seed here is a few kilobytes at most: a header and a handful of records,
laid out as each format lays them out, with the variants (line ends, units,
ragged profiles, absent rows) that lead the readers down their other paths.

The SDTS seeds are cut down from a real transfer when one is given (its
layer shrunk to a few rows); without it those two targets keep what the
corpus already holds.

Usage: make_fuzz_seeds.py [--out fuzz/corpus] [--sdts DIR_WITH_8821CEL0.DDF]
"""

import argparse
import os
import struct
import sys


def write(out, target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def put(block, at, text):
    return block[:at] + text + block[at + len(text):]


# --- USGS DEM: record A, then one record B per profile, 1024-character blocks.

def fortran_d(v):
    return ("%24.15E" % v).replace("E", "D")


def usgs(profiles, corners, zone=0, unit=2, res=(3.0, 3.0, 1.0), eol=""):
    a = " " * 1024
    a = put(a, 0, "SEED QUAD")
    a = put(a, 156, "%6d%6d" % (0 if zone == 0 else 1, zone))
    a = put(a, 528, "%6d%6d%6d" % (3 if zone == 0 else 2, unit, 4))
    for i, c in enumerate(corners):
        a = put(a, 546 + 24 * i, fortran_d(c))
    a = put(a, 738, fortran_d(0.0) + fortran_d(500.0))
    a = put(a, 816, "%12.6E%12.6E%12.6E" % res)
    a = put(a, 852, "%6d%6d" % (1, len(profiles)))
    out = a + eol
    for j, (x, y, values) in enumerate(profiles):
        b = " " * 1024
        b = put(b, 0, "%6d%6d%6d%6d" % (1, j + 1, len(values), 1))
        b = put(b, 24, fortran_d(x) + fortran_d(y) + fortran_d(0.0) * 3)
        at = 144
        for v in values:
            if at + 6 > 1020:
                out += b + eol
                b = " " * 1024
                at = 0
            b = put(b, at, "%6d" % v)
            at += 6
        out += b + eol
    return out


def usgs_seeds(out):
    w, s = -309600.0, 129600.0
    grid = [(w + 3 * c, s, [c * 10 + r for r in range(5)]) for c in range(3)]
    corners = [w, s, w, s + 12, w + 6, s + 12, w + 6, s]
    write(out, "usgs1deg", "geographic.dem", usgs(grid, corners))
    write(out, "usgs1deg", "line-feeds.dem", usgs(grid, corners, unit=1, eol="\n"))
    write(out, "usgs1deg", "crlf-voids.dem",
          usgs([(w, s, [1, -32767, 3, -32768, 5])] * 2, corners, eol="\r\n"))
    # A profile that crosses into its second block.
    write(out, "usgs1deg", "long-profile.dem",
          usgs([(w + 3 * c, s, list(range(160))) for c in range(2)], corners))
    ragged = [(1000, 3030, [1, 2, 3]), (1030, 3000, [10, 11, 12, 13, 14, 15, 16]),
              (1060, 3120, [20, 21, 22, 23])]
    write(out, "usgs1deg", "ragged-utm.dem",
          usgs(ragged, [1000, 3010, 1000, 3170, 1060, 3175, 1060, 3005], zone=10,
               res=(30.0, 30.0, 1.0)))


# --- GSI 50 m: a 1011-byte header, then one record per present row.

def gsi50m_sheet(cols, rows, flags="", note="", name="SEED"):
    h = " " * 1011
    h = put(h, 23, "%3d%3d" % (cols, rows))
    for k, v in enumerate((125700, 503550, 126000, 504000)):
        h = put(h, 29 + 7 * k, "%07d" % (v // 3600 * 10000 + v % 3600 // 60 * 100 + v % 60))
    h = put(h, 58, name)
    f = flags or "1" * rows
    h = put(h, 142, "%3d" % len(f))
    if note:
        h = put(h, 145, note)
    h = put(h, 225, f)
    out = h
    for r in range(rows):
        if r < len(f) and f[r] == "1":
            out += "%9d" % (r + 1)
            out += "".join("%5d" % (r * 7 + c - 30 if (r + c) % 5 else -9999)
                           for c in range(cols))
            out += "\r\n"
    return out


def gsi50m_seeds(out):
    write(out, "gsi50m", "full.mem", gsi50m_sheet(6, 4))
    write(out, "gsi50m", "absent-rows.mem", gsi50m_sheet(5, 6, flags="10101"))
    write(out, "gsi50m", "composed.mem",
          gsi50m_sheet(4, 3, note="Composed by Orogenist for Hillglimmer"))
    blank = gsi50m_sheet(3, 4)
    blank = put(put(blank, 142, "   "), 225, "    ")
    write(out, "gsi50m", "blank-count.mem", blank)
    write(out, "gsi50m_index", "index.csv",
          "523940,NORTH WEST\r\n523941,NORTH EAST\r\n523930,SOUTH\r\n")
    write(out, "gsi50m_index", "odd-lines.csv",
          "523940\n,\n523941,A\rB\n../x,up\nlast,no LF")


# --- DHM25 matrix: a text header, then records of six-character heights.

def dhm25(cols, rows, record=12, eol="\n", model=""):
    h = "NEWHEADER" + eol + "-" * 40 + eol
    if model:
        h += "MODELLNAME    " + model + "   " + eol
    h += "NORD-WEST ECKE     [M] %10.1f %10.1f" % (600000, 200000) + eol
    h += "SUED-OST ECKE      [M] %10.1f %10.1f" % (603000, 198000) + eol
    h += "MASCHENWEITE WE/NS [M]      25.0      25.0" + eol
    h += "MATRIXDIMENSIONEN WE/NS %6d    %6d" % (cols, rows) + eol
    h += "HOEHENBEREICH     [DM]     -50     43210" + eol
    h += "RECORDLAENGE(CHAR.)   %6d" % record + eol
    h += "ENDHEADER" + eol
    values = "".join("%6d" % (r * 1000 + c * 10 - 5) for r in range(rows) for c in range(cols))
    return h + "".join(values[i:i + record] + eol for i in range(0, len(values), record))


def dhm25_seeds(out):
    write(out, "dhm25", "small.mlt", dhm25(4, 3))
    write(out, "dhm25", "crlf-named.mlt", dhm25(5, 4, record=18, eol="\r\n", model="SEED"))


# --- RIMINI: 71 x 49 five-character fields, sixteen to a record.

def rimini(eol):
    fields = ["%5d" % ((r * 13 + c * 7) % 3000) for r in range(49) for c in range(71)]
    fields += ["    0", "SEED1"]
    while len(fields) % 16:
        fields.append("     ")
    return "".join(f + (eol if i % 16 == 15 else "") for i, f in enumerate(fields))


def rimini_seeds(out):
    write(out, "rimini", "crlf.dat", rimini("\r\n"))
    write(out, "rimini", "lf.dat", rimini("\n"))


# --- NTF height grid: records ending in a continuation flag and "%".

def ntf(cols, rows, profile=False, eol="\r\n"):
    width = 5 if profile else 4
    out = []

    def record(content, flag):
        out.append(content + flag + "%" + eol)

    def text(s, n):
        return s[:n].ljust(n)

    def num(v, n):
        return ("%*g" % (n, v))

    db = "L-F_PROFILE_DTM" if profile else "OS_LANDRANGER_DTM"
    record("01" + text("OS", 20) + text("CUSTOMER", 20) + "19980315", "0")
    record("02" + text(db, 20) + "NTF2.0", "0")
    record("07" + text("SK20", 10) + text("", 8) + num(1000, 10) + num(width, 5) + " " +
           num(1000, 10) + num(420000, 10) + num(310000, 10), "0")
    if profile:
        grid = num(0, 5) + num(0, 5) + num(cols, 8) + num(rows, 8) + num(10, 4) + num(20, 4)
    else:
        grid = num(cols, 4) + num(rows, 4)
    record("50" + text("GRID", 10) + grid, "0")
    for c in range(cols):
        r = rows - 1

        def take(n, content):
            nonlocal r
            while n > 0 and r >= 0:
                content += num(100 * c + 7 * r - 40, width)
                n -= 1
                r -= 1
            record(content, "1" if r >= 0 else "0")

        if profile:
            take(12, "51" + text("COL%d" % c, 16))
        else:
            record("51" + text("COL%d" % c, 20), "1")
            record("00" + text("", 20), "1")
            take(19, "00")
        while r >= 0:
            take(15 if profile else 19, "00")
    record("99", "0")
    return "".join(out)


def ntf_seeds(out):
    write(out, "os_dtm", "landranger.ntf", ntf(3, 4))
    write(out, "os_dtm", "profile-lf.ntf", ntf(3, 20, profile=True, eol="\n"))


# --- GSI 10 m: the description (Shift_JIS CSV) and big-endian heights.

def gsi10m_seeds(out):
    lines = [
        "数値地図10mメッシュ(火山標高),",
        "東西方向の点数,37,",
        "南北方向の点数,23,",
        "区画左下の緯度[度],31,", "　　　　　　　[分],50,", "　　　　　　　[秒],15,",
        "区画左下の経度[度],130,", "　　　　　　　[分],45,", "　　　　　　　[秒],30,",
        "区画右上の緯度[度],31,", "　　　　　　　[分],57,", "　　　　　　　[秒],45,",
        "区画右上の経度[度],130,", "　　　　　　　[分],55,", "　　　　　　　[秒],0,",
        "図名,霧島山,",
        "平面直角座標系番号,2,",
        "区画左下Ｘ座標,-1254000.5,", "区画左下Ｙ座標,  4300000,",
        "区画右上Ｘ座標,-1107000.5,", "区画右上Ｙ座標,5500000,",
        "コメント,",
    ]
    write(out, "gsi10m_csv", "crlf.csv", "".join(l + "\r\n" for l in lines).encode("cp932"))
    write(out, "gsi10m_csv", "lf.csv", "".join(l + "\n" for l in lines).encode("cp932"))
    heights = b"".join(struct.pack(">H", (r * 37 + c) * 3 % 60000 if (r + c) % 11 else 0xFFFF)
                       for r in range(23) for c in range(37))
    write(out, "gsi10m", "whole.dat", heights)
    write(out, "gsi10m", "short.dat", heights[:700])


# --- SDTS: a real transfer with its layer cut to a few rows.

def ddf_records(data):
    """The records of an ISO 8211 module, each by the length its leader gives."""
    records = []
    at = 0
    while at + 24 <= len(data):
        n = int(data[at:at + 5])
        if n < 24:
            break
        records.append(data[at:at + n])
        at += n
    return records


def first_rows(module, rows):
    """The descriptive record and the first rows data records. A leader
    marked 'R' is reused: the records after it are field areas alone."""
    ddr = int(module[:5])
    first = int(module[ddr:ddr + 5])
    if module[ddr + 6:ddr + 7] == b"R":
        base = int(module[ddr + 12:ddr + 17])
        return module[:ddr + first + (rows - 1) * (first - base)]
    return b"".join(ddf_records(module)[:rows + 1])


def with_heights(module):
    """The transfer's first rows lie outside the quadrangle, all fill
    (0x8002); they become a slope so the import has posts to take (it trims
    every edge row or column that holds a fill)."""
    ddr = int(module[:5])
    body = bytearray(module[ddr:])
    fill = b"\x80\x02"
    at = body.find(fill)
    k = 0
    while at >= 0:
        body[at:at + 2] = struct.pack(">h", 100 + k % 400)
        k += 1
        at = body.find(fill, at + 2)
    return module[:ddr] + bytes(body)


def shrink_rows(module, rows):
    """Writes rows over the layer's row count, keeping the field's width."""
    records = ddf_records(module)
    target = b"\x1f471\x1f"
    for i, rec in enumerate(records):
        if target in rec:
            records[i] = rec.replace(target, b"\x1f" + (b"%03d" % rows) + b"\x1f", 1)
    return b"".join(records)


def sdts_seeds(out, folder):
    if not folder:
        return
    names = ["DDOM", "DDSH", "IDEN", "IREF", "LDEF", "RSDF", "SPDM", "XREF", "CEL0"]
    modules = {}
    for name in names:
        with open(os.path.join(folder, "8821" + name + ".DDF"), "rb") as f:
            modules[name] = f.read()
    for rows in (2, 4):
        cut = dict(modules)
        cut["LDEF"] = shrink_rows(cut["LDEF"], rows)
        cut["RSDF"] = shrink_rows(cut["RSDF"], rows)
        cut["CEL0"] = with_heights(first_rows(cut["CEL0"], rows))
        packed = b"".join(struct.pack("<I", len(cut[n])) + cut[n] for n in names)
        write(out, "sdts_import", "rows-%d.bin" % rows, packed)
        write(out, "iso8211", "cells-%d.ddf" % rows, cut["CEL0"])
    for name in ("LDEF", "RSDF"):
        write(out, "iso8211", name.lower() + ".ddf", shrink_rows(modules[name], 4))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "fuzz", "corpus"))
    parser.add_argument("--sdts", default="")
    args = parser.parse_args()
    usgs_seeds(args.out)
    gsi50m_seeds(args.out)
    dhm25_seeds(args.out)
    rimini_seeds(args.out)
    ntf_seeds(args.out)
    gsi10m_seeds(args.out)
    sdts_seeds(args.out, args.sdts)
    return 0


if __name__ == "__main__":
    sys.exit(main())
