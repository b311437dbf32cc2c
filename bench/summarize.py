#!/usr/bin/python3
"""Reads the rounds that bench/run-bench.sh recorded, prints the benchmark table with the
targets, and plots time and peak memory against source size per tool (gnuplot): PLOT.png and
PLOT-memory.png.

    bench/summarize.py RESULTS.tsv [PLOT.png]

Ratios to the floor are medians of per-round ratios: each tool's run is divided by the floor's
run of the same round, so that drift of the machine between rounds cancels out.
"""
import csv
import statistics
import subprocess
import sys
from collections import defaultdict

MB = 1e6
MIB = 1024 * 1024
SPEED = 1.10  # brevix / floor on documentation corpora, at most
VARIANT_SPEED = 2.0  # brevix / floor on the pathological variants, at most
PEAK_MIB = 64  # brevix's peak on corpora of up to 500 MB, and beyond a bigregion's region
CHUNK_BYTES = 100  # what a run remembers per chunk file, at most
RATE_DROP = 0.85  # MB/s of a larger documentation corpus against a smaller one, at least
SLOW_CLOSE_S = 3.0  # brevix's wall time in the slow-close case (about 10,000 delayed closes), at most


def load(path):
    runs = defaultdict(dict)  # (case, tool) -> {round: row}
    info = {}
    with open(path) as f:
        for row in csv.DictReader(f, delimiter="\t"):
            row["wall"] = float(row["wall"])
            row["peak_kb"] = int(row["peak_kb"])
            row["rc"] = int(row["rc"])
            row["user"] = float(row.get("user") or 0)  # absent in older results
            runs[(row["case"], row["tool"])][int(row["round"])] = row
            info[row["case"]] = (row["kind"], int(row["bytes"]), int(row["chunks"]))
    return runs, info


def paired_ratio(runs, case, tool, base):
    a, b = runs.get((case, tool), {}), runs.get((case, base), {})
    ratios = [a[r]["wall"] / b[r]["wall"] for r in a if r in b and b[r]["wall"] > 0]
    return statistics.median(ratios) if ratios else None


def summarize(path, plot):
    runs, info = load(path)
    cases = sorted(info, key=lambda c: (info[c][0] != "doc", info[c][1] if info[c][0] == "doc" else 0, c))
    stats = {}
    print(f"{'case':<20}{'MB':>7}{'chunks':>9}  {'tool':<10}{'runs':>4}{'median s':>10}{'MB/s':>9}"
          f"{'chunks/s':>11}{'peak MB':>9}{'x floor':>9}{'user/100MB':>11}  note")
    known = ["brevix", "floor", "floor-sized", "xml_split"]
    tools = known + sorted({tool for _, tool in runs} - set(known))  # e.g. a patched build, by its name
    for case in cases:
        kind, size, chunks = info[case]
        for tool in tools:
            rows = runs.get((case, tool))
            if not rows:
                continue
            ok = [r for r in rows.values() if r["rc"] == 0]
            failed = len(rows) - len(ok)
            wall = statistics.median(r["wall"] for r in rows.values())
            peak = max(r["peak_kb"] for r in rows.values()) * 1024 / MIB
            ratio = paired_ratio(runs, case, tool, "floor") if tool != "floor" else 1.0
            stats[(case, tool)] = (wall, peak, ratio, failed)
            user = statistics.median(r["user"] for r in rows.values()) * 100 * MB / size
            note = f"{failed} run(s) failed" if failed else ""
            shown = f"{ratio:.2f}" if ratio is not None else "-"
            print(f"{case:<20}{size / MB:>7.1f}{chunks:>9}  {tool:<10}{len(rows):>4}{wall:>10.3f}"
                  f"{size / MB / wall:>9.1f}{chunks / wall:>11.0f}{peak:>9.1f}{shown:>9}{user:>11.3f}  {note}")
    print()
    check_targets(runs, info, stats)
    if plot:
        draw(info, stats, plot)


def check_targets(runs, info, stats):
    def verdict(ok):
        return "met" if ok else "MISSED"

    def brevix(case, what):  # 0: median wall, 1: peak MiB, 2: ratio to the floor
        return stats[(case, "brevix")][what] if (case, "brevix") in stats else None

    def sized(case):  # against the floor that writes files of the chunk files' sizes
        ratio = paired_ratio(runs, case, "brevix", "floor-sized")
        return f"; brevix / floor-sized = {ratio:.2f}" if ratio is not None else ""

    def rate(case, tool):
        return info[case][1] / stats[(case, tool)][0] / MB

    print("targets:")
    docs = [c for _, c in sorted((info[c][1], c) for c in info if info[c][0] == "doc") if brevix(c, 0)]
    for case in docs:
        ratio = brevix(case, 2)
        print(f"  {case}: brevix / floor = {ratio:.2f} (<= {SPEED:.2f}): {verdict(ratio <= SPEED)}{sized(case)}")
    for case in docs:
        if round(info[case][1] / MB) == 100 and (case, "xml_split") in stats:
            ratio, how = paired_ratio(runs, case, "xml_split", "brevix"), "paired rounds"
            if ratio is None:  # rounds from different series: compare the medians
                ratio, how = stats[(case, "xml_split")][0] / brevix(case, 0), "medians"
            print(f"  {case}: xml_split / brevix = {ratio:.1f} (>= 15, {how}): {verdict(ratio >= 15)}")
    # On disk: MB/s of each larger corpus against the next smaller one from 500 MB up, and 500 MB
    # against 10 MB; the memory per chunk file.
    docs = [c for c in docs if "@" not in c]
    pairs = [(a, b) for a, b in zip(docs, docs[1:]) if info[a][1] >= 500 * MB]
    small = [c for c in docs if round(info[c][1] / MB) == 10]
    large = [c for c in docs if round(info[c][1] / MB) == 500]
    if small and large:
        pairs.insert(0, (small[0], large[0]))
    for a, b in pairs:
        change = rate(b, "brevix") / rate(a, "brevix")
        floor = ""
        if (a, "floor") in stats and (b, "floor") in stats:
            floor = f"; the floor's own: {rate(b, 'floor') / rate(a, 'floor'):.2f}"
        print(f"  MB/s at {b} / MB/s at {a} = {change:.2f} ({rate(b, 'brevix'):.1f} / {rate(a, 'brevix'):.1f},"
              f" >= {RATE_DROP}): {verdict(change >= RATE_DROP)}{floor}")
    for case in sorted(c for c in info if info[c][0] == "slowclose" and brevix(c, 0)):
        wall = brevix(case, 0)
        print(f"  {case}: brevix {wall:.2f} s (<= {SLOW_CLOSE_S:.0f} s): {verdict(wall <= SLOW_CLOSE_S)}")
    variants = sorted(c for c in info if info[c][0] not in ("doc", "slowclose") and brevix(c, 0))
    for case in variants:
        ratio = brevix(case, 2)
        print(f"  {case}: brevix / floor = {ratio:.2f} (<= {VARIANT_SPEED:.0f}): {verdict(ratio <= VARIANT_SPEED)}"
              f"{sized(case)}")
    for case in docs + variants:
        peak, size = brevix(case, 1), info[case][1]
        if info[case][0] == "bigregion":  # one naming region of half the source
            limit, what = size / 2 / MIB + PEAK_MIB, "its region + 64"
        elif round(size / MB) <= 500 or info[case][0] != "doc":
            limit, what = PEAK_MIB, "constant"
        else:
            print(f"  {case}: brevix peak {peak:.1f} MB (no limit: grows with the chunk count)")
            continue
        print(f"  {case}: brevix peak {peak:.1f} MB (<= {limit:.1f}, {what}): {verdict(peak <= limit)}")
    if len(docs) >= 2:
        a, b = docs[0], docs[-1]
        chunks = info[b][2] - info[a][2]
        if chunks > 0:
            per = (brevix(b, 1) - brevix(a, 1)) * MIB / chunks
            print(f"  memory per chunk file, {a} to {b}: {per:.0f} bytes (<= {CHUNK_BYTES}):"
                  f" {verdict(per <= CHUNK_BYTES)}")


def draw(info, stats, plot):
    base = plot.rsplit(".", 1)[0]
    titles = {"brevix": "brevix-cli", "floor": "floor (1 MB blocks, fopen/fwrite/fclose)",
              "floor-sized": "floor-sized (files as large as the chunk files)", "xml_split": "xml_split -c topic"}
    docs = sorted((info[c][1], c) for c in info if info[c][0] == "doc" and "@" not in c)  # on disk
    panels = [(plot, base + ".dat", 0, "wall time against source size (median of rounds)", "wall time (s)"),
              (base + "-memory.png", base + "-memory.dat", 1, "peak memory (RSS) against source size",
               "peak RSS (MB)")]
    for png, data, what, title, ylabel in panels:
        series = []
        with open(data, "w") as f:
            for tool in titles:
                points = [(size, stats[(case, tool)][what]) for size, case in docs if (case, tool) in stats]
                if not points:
                    continue
                f.write(f"# {tool}\n")
                for size, value in points:
                    f.write(f"{size / MB:.1f} {value:.4f}\n")
                f.write("\n\n")
                series.append(f"'{data}' index {len(series)} with linespoints lw 2 title '{titles[tool]}'")
        if not series:
            continue
        script = f"""
set terminal pngcairo size 900,600 noenhanced
set output '{png}'
set title 'Documentation corpora: {title}'
set xlabel 'source size (MB)'
set ylabel '{ylabel}'
set logscale xy
set grid
set key top left
plot {", ".join(series)}
"""
        subprocess.run(["gnuplot"], input=script, text=True, check=True)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    summarize(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
