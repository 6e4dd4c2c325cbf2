#!/usr/bin/env python3
"""Turns the benchmark results into a table (stdout and a text file) and a
bar chart (PNG). Standard library only: the PNG is written by hand with zlib
and a small built-in bitmap font.

usage: report.py BENCH_JSON PEER_JSON OUT_DIR
"""
import json
import os
import struct
import sys
import zlib

# ---- Results ------------------------------------------------------------------


def load_bench(path):
    """Median rows of a Google Benchmark JSON file (or the plain rows when it
    was run without repetitions)."""
    with open(path) as f:
        data = json.load(f)
    rows = {}
    have_median = any(b.get("aggregate_name") == "median" for b in data["benchmarks"])
    for b in data["benchmarks"]:
        if have_median and b.get("aggregate_name") != "median":
            continue
        if b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        rows[name] = {
            "label": b.get("label", ""),
            "cpu_ns": b["cpu_time"] * scale,
            "mpix": b.get("Mpix/s", 0.0),
            "base_ns": b.get("base_ns", 0.0),
            "records": b.get("records", 0.0),
        }
    return data.get("context", {}), rows


CONV = ["RGB555_RGB565", "RGB565_RGB555", "RGB888_RGB565", "RGB888_RGB555", "RGBA8888_ARGB1555", "RGBA8888_ARGB4444"]
SIMD = ["scalar", "sse2", "ssse3", "avx2", "avx512"]  # the processor check's level order
LEVEL = ["L1", "L2", "mem"]
SCENE = ["plain", "alpha 77", "alpha 128", "soft edge", "depth", "depth+alpha 128"]


def describe(name, row):
    """Readable operation name for a benchmark row."""
    parts = dict(p.split(":", 1) for p in name.split("/")[1:] if ":" in p)
    if name.startswith("BM_Memcpy"):
        return "memcpy " + LEVEL[int(parts["level"])]
    if name.startswith("BM_Memset"):
        return "memset " + LEVEL[int(parts["level"])]
    if name.startswith("BM_Convert"):
        return "%s %s %s" % (CONV[int(parts["conv"])], SIMD[int(parts["simd"])], LEVEL[int(parts["level"])])
    if name.startswith("BM_BlendRow"):
        return "BlendRow555 %s %s level %s" % (SIMD[int(parts["simd"])], LEVEL[int(parts["level"])], parts["alpha"])
    if name.startswith("BM_BlendShortRuns"):
        return "BlendRow555 %s runs of 11-31 px" % SIMD[int(parts["simd"])]
    if name.startswith("BM_Scene"):
        return "scene " + SCENE[int(parts["kind"])]
    if name.startswith("BM_RawDraw"):
        return "raw %s" % ("64x64 (x256 per frame)" if parts["size"] == "64" else "640x480")
    if name.startswith("BM_RawSmall"):
        return "raw 64x64 x256 random, " + ("library" if name.endswith("library") else "memcpy of the visible rows")
    if name.startswith("BM_ChainAlone"):
        if name.endswith("store:1"):
            return "scene records walked, one pixel stored a record"
        return "scene records walked, no pixel moved (limit)"
    if name.startswith("BM_ShortRunCopy"):
        return "short-run copy, " + ("library CopyPixels" if name.endswith("library") else "memcpy per run")
    if name.startswith("BM_FillRect"):
        return "FillRect 640x480"
    if name.startswith("BM_CopyToSurface"):
        return "CopyToSurface 640x480"
    if name.startswith("BM_CopyToBuffer"):
        fmt = ["RGB555", "RGB565", "XRGB8888", "BGR888"][int(parts["format"])]
        return "vcCopyToBuffer 640x480 %s %s" % (fmt, SIMD[int(parts["simd"])])
    if name.startswith("BM_Present565"):
        return "vcPresent 640x480 into 565"
    return name


# ---- Table --------------------------------------------------------------------


def build_table(rows, peer):
    lines = []
    peer_by_op = {o["op"]: o for o in (peer or {}).get("ops", [])}
    head = "%-48s %12s %10s %10s" % ("operation", "Mpix/s", "x memcpy", "x SDL2")
    lines.append(head)
    lines.append("-" * len(head))
    out = []
    for name, r in rows.items():
        share = r["base_ns"] / r["cpu_ns"] if r["base_ns"] and r["cpu_ns"] else 0.0
        sdl = ""
        if name.startswith("BM_Scene"):
            mode = describe(name, r)[len("scene "):]
            po = peer_by_op.get("span copy" if mode == "plain" else mode)
            if po and po["peer_mpix"][0]:
                sdl = "%.2f" % (po["ours_mpix"] / po["peer_mpix"][0])
        d = describe(name, r)
        out.append((d, r["mpix"], share, sdl))
        lines.append("%-48s %12.0f %10.2f %10s" % (d, r["mpix"], share, sdl))
    return lines, out


def speedups(rows):
    """SIMD forms against the scalar form of the same operation and level."""
    lines = []
    for name, r in rows.items():
        if not (name.startswith("BM_Convert") or name.startswith("BM_BlendRow/")) or "/simd:0/" in name:
            continue
        scalar = rows.get(
            name.replace("/simd:1/", "/simd:0/").replace("/simd:2/", "/simd:0/").replace("/simd:3/", "/simd:0/").replace("/simd:4/", "/simd:0/")
        )
        if scalar:
            lines.append("%-48s %8.2fx scalar" % (describe(name, r), scalar["cpu_ns"] / r["cpu_ns"]))
    return lines


# ---- Limits and targets ---------------------------------------------------------

# Bytes one visible pixel of the depth scene must move (depth write and copy
# in one pass): the sample, the plane read and written, the sprite pixel read
# and the canvas pixel written. Levels without masked stores also read the
# canvas pixel (9 bytes); with them only passing pixels are written, so this
# is the most a frame needs.
DEPTH_BYTES_PER_PIXEL = 7


def limit_lines(rows):
    """The limit rows beside what they bound, and the targets met or missed,
    each with its figures. Ratios of times for the same work (same records,
    same pixels), so the Mpix/s convention does not enter."""
    def ns(name):
        r = rows.get(name)
        return r["cpu_ns"] if r else None

    scene = {k: ns("BM_Scene/kind:%d" % k) for k in range(6)}
    chain = ns("BM_ChainAlone/store:0")
    one_store = ns("BM_ChainAlone/store:1")
    raw_lib, raw_mc = ns("BM_RawSmall/library"), ns("BM_RawSmall/memcpy_rows")
    text = ["limits:"]
    if chain and scene[0]:
        rec = rows["BM_ChainAlone/store:0"].get("records", 0)
        text.append("  scene span copy %.1f us a frame; its records walked alone %.1f us (%s); copy = %.2fx the "
                    "chain-alone rate" % (scene[0] / 1e3, chain / 1e3,
                                         ("%.2f ns a record" % (chain / rec)) if rec else "records not counted",
                                         chain / scene[0]))
        if one_store:
            text.append("  the same walk storing one pixel a record: %.1f us (%.2fx the chain-alone rate); the copy "
                        "= %.2fx its rate" % (one_store / 1e3, chain / one_store, one_store / scene[0]))
    if raw_lib and raw_mc:
        text.append("  raw 64x64 x256 random: library %.1f us, memcpy of the same visible rows %.1f us: %.2fx" %
                    (raw_lib / 1e3, raw_mc / 1e3, raw_mc / raw_lib))
    pixels = None
    if scene[4]:
        r = rows["BM_Scene/kind:4"]
        pixels = r["mpix"] * r["cpu_ns"] / 1e3
    for lvl, lname in ((1, "L2"), (2, "memory")):
        mc = rows.get("BM_Memcpy/level:%d" % lvl)
        if not (mc and pixels and scene[4]):
            continue
        moved = 2 * mc["mpix"] * 2e6  # bytes read plus bytes written a second by memcpy
        need = pixels * DEPTH_BYTES_PER_PIXEL
        floor_ns = need / moved * 1e9
        text.append("  depth: %.0f bytes a frame (%d a visible pixel) at memcpy's %s rate of %.1f GB/s moved = "
                    "%.1f us; measured %.1f us (%.2fx that bound)" % (need, DEPTH_BYTES_PER_PIXEL, lname, moved / 1e9,
                                                                      floor_ns / 1e3, scene[4] / 1e3,
                                                                      floor_ns / scene[4]))
    targets = [
        ("raw small images vs memcpy of their rows", raw_mc, raw_lib, 0.8),
        ("span copy vs chain alone", chain, scene[0], 0.85),
        ("soft edge vs our span copy", scene[0], scene[3], 0.8),
        ("depth vs our span copy", scene[0], scene[4], 0.5),
        ("depth+alpha 128 vs alpha 128", scene[2], scene[5], 0.5),
    ]
    text.append("")
    text.append("%-42s %8s %6s  %s" % ("target (speed ratio)", "value", "goal", "status"))
    for what, ref, ours, goal in targets:
        if not (ref and ours):
            text.append("%-42s %8s %6.2f  not measured" % (what, "-", goal))
            continue
        v = ref / ours
        text.append("%-42s %8.2f %6.2f  %s" % (what, v, goal, "met" if v >= goal else "MISSED"))
    return text


# ---- PNG chart ----------------------------------------------------------------

# 3x5 font: five rows of three bits per glyph, top row first.
FONT = {
    "A": "010101111101101", "B": "110101110101110", "C": "011100100100011", "D": "110101101101110",
    "E": "111100110100111", "F": "111100110100100", "G": "011100101101011", "H": "101101111101101",
    "I": "111010010010111", "J": "001001001101010", "K": "101101110101101", "L": "100100100100111",
    "M": "101111111101101", "N": "110101101101101", "O": "010101101101010", "P": "110101110100100",
    "Q": "010101101110011", "R": "110101110101101", "S": "011100010001110", "T": "111010010010010",
    "U": "101101101101111", "V": "101101101101010", "W": "101101111111101", "X": "101101010101101",
    "Y": "101101010010010", "Z": "111001010100111", "0": "111101101101111", "1": "010110010010111",
    "2": "110001010100111", "3": "110001010001110", "4": "101101111001001", "5": "111100110001110",
    "6": "011100111101111", "7": "111001010010010", "8": "111101111101111", "9": "111101111001110",
    " ": "000000000000000", ".": "000000000000010", "/": "001001010100100", "-": "000000111000000",
    "+": "000010111010000", ":": "000010000010000", "(": "010100100100010", ")": "010001001001010",
    "_": "000000000000111", "=": "000111000111000", "%": "101001010100101", ",": "000000000010100",
    "<": "001010100010001", ">": "100010001010100",
}


class Canvas:
    def __init__(self, w, h, bg=(255, 255, 255)):
        self.w, self.h = w, h
        self.px = bytearray(bytes(bg) * (w * h))

    def rect(self, x0, y0, x1, y1, c):
        x0, y0, x1, y1 = max(0, x0), max(0, y0), min(self.w, x1), min(self.h, y1)
        row = bytes(c) * max(0, x1 - x0)
        for y in range(y0, y1):
            i = (y * self.w + x0) * 3
            self.px[i:i + len(row)] = row

    def text(self, x, y, s, c=(0, 0, 0), scale=2):
        for ch in s.upper():
            g = FONT.get(ch, FONT[" "])
            for r in range(5):
                for col in range(3):
                    if g[r * 3 + col] == "1":
                        self.rect(x + col * scale, y + r * scale, x + (col + 1) * scale, y + (r + 1) * scale, c)
            x += 4 * scale

    def save(self, path):
        raw = b"".join(b"\x00" + bytes(self.px[y * self.w * 3:(y + 1) * self.w * 3]) for y in range(self.h))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))


def chart(path, peer, table_rows):
    """Two panels: the peer comparison in Mpix/s (ours and every peer, per
    operation), and every operation's speed as a share of memcpy of the same
    bytes."""
    colours = [(40, 110, 200), (220, 120, 40), (150, 60, 160), (90, 150, 60)]
    bar_c = (60, 160, 90)
    label_w, bar_w, row_h = 420, 560, 14
    ops = [o for o in (peer or {}).get("ops", [])]
    names = ["ours"] + list((peer or {}).get("peers", []))
    per_op = len(names)
    shares = [(d, s) for d, _, s, _ in table_rows if s > 0]
    top_h = 70 + len(ops) * (per_op * row_h + 6)
    h = top_h + 60 + len(shares) * row_h + 40
    cv = Canvas(label_w + bar_w + 120, h)
    y = 12
    legend = ", ".join("%s (%s)" % (n, ["BLUE", "ORANGE", "PURPLE", "GREEN"][i]) for i, n in enumerate(names))
    cv.text(12, y, "PEER COMPARISON, MPIX/S: " + legend, scale=2)
    y += 26
    top = max([o["ours_mpix"] for o in ops] + [v for o in ops for v in o["peer_mpix"]] + [1.0])
    for o in ops:
        cv.text(12, y + 6, o["op"], scale=2)
        for i, val in enumerate([o["ours_mpix"]] + o["peer_mpix"]):
            if val:
                w = int(bar_w * val / top)
                cv.rect(label_w, y, label_w + w, y + row_h - 3, colours[i % len(colours)])
                cv.text(label_w + w + 6, y + 1, "%.0f" % val, scale=2)
            y += row_h
        y += 6
    y += 20
    cv.text(12, y, "SPEED AS A SHARE OF MEMCPY OF THE SAME BYTES (LINE = 1.0)", scale=2)
    y += 26
    first = y
    top = max([s for _, s in shares] + [1.0])
    one = label_w + int(bar_w * 1.0 / top)
    for d, s in shares:
        cv.text(12, y + 1, d[:52], scale=2)
        w = int(bar_w * s / top)
        cv.rect(label_w, y, label_w + w, y + row_h - 3, bar_c)
        cv.text(label_w + w + 6, y + 1, "%.2f" % s, scale=2)
        y += row_h
    cv.rect(one, first, one + 1, y, (200, 0, 0))
    cv.save(path)


def peer_lines(peer):
    """The comparison's table, ratios and targets, as the program printed them."""
    text = []
    names = peer["peers"]
    text.append("scene: %d visible opaque pixels per frame, %.1f%% opaque, mean run %.1f px" %
                (peer["visible_opaque"], 100 * peer["opaque_share"], peer["mean_run"]))
    text.append(("%-18s %10s" % ("Mpix/s", "ours")) + "".join(" %14s" % n for n in names) + " %12s" % "memcpy")
    for o in peer["ops"]:
        cells = ["%.0f" % v if v else "-" for v in o["peer_mpix"]]
        text.append(("%-18s %10.0f" % (o["op"], o["ours_mpix"])) + "".join(" %14s" % c for c in cells) +
                    " %12.0f" % o["memcpy_mpix"])
    text.append("")
    text.append(("%-18s" % "ours / other") + "".join(" %14s" % n for n in names) + " %12s" % "memcpy")
    for o in peer["ops"]:
        if not any(o["peer_mpix"]):
            continue
        cells = ["%.2fx" % (o["ours_mpix"] / v) if v else "-" for v in o["peer_mpix"]]
        text.append(("%-18s" % o["op"]) + "".join(" %14s" % c for c in cells) +
                    " %12s" % ("%.2fx" % (o["ours_mpix"] / o["memcpy_mpix"])))
    text.append("")
    for o in peer["ops"]:
        checks = ["%s %d/%d" % (n, o["peer_max_step"][i], o["peer_allowed"][i])
                  for i, n in enumerate(names) if o["peer_max_step"][i] >= 0]
        text.append("%-18s ours %s%s" % (o["op"], "exact" if o["ours_bad_pixels"] == 0 else
                                         "%d px differ" % o["ours_bad_pixels"],
                                         ("; per draw, step/allowed: " + ", ".join(checks)) if checks else ""))
    text.append("")
    for t in peer["targets"]:
        status = "not measured" if t["value"] <= 0 else "met" if t["value"] >= t["goal"] else "MISSED"
        text.append("%-42s %8.2f  goal %5.2f  %s" % (t["what"], t["value"], t["goal"], status))
    return text


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    ctx, rows = load_bench(sys.argv[1])
    peer = None
    if os.path.exists(sys.argv[2]):
        with open(sys.argv[2]) as f:
            peer = json.load(f)
    out_dir = sys.argv[3]
    os.makedirs(out_dir, exist_ok=True)
    lines, table_rows = build_table(rows, peer)
    text = []
    text.append("machine: %s CPUs at %s MHz, load %s" % (ctx.get("num_cpus"), ctx.get("mhz_per_cpu"),
                                                          ctx.get("load_avg")))
    text.append("medians of the repetitions; Mpix/s from CPU time; x memcpy = memcpy (memset for fills) of the "
                "bytes written, same cache level, divided by the operation's time")
    text.append("")
    text += lines
    text.append("")
    text += limit_lines(rows)
    text.append("")
    text.append("SIMD forms against their scalar forms:")
    text += speedups(rows)
    if peer:
        text.append("")
        text += peer_lines(peer)
    report = "\n".join(text) + "\n"
    sys.stdout.write(report)
    with open(os.path.join(out_dir, "table.txt"), "w") as f:
        f.write(report)
    chart(os.path.join(out_dir, "chart.png"), peer, table_rows)
    print("\nwrote %s and %s" % (os.path.join(out_dir, "table.txt"), os.path.join(out_dir, "chart.png")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
