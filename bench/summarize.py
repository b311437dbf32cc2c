#!/usr/bin/python3
"""Reads the rounds that bench/run-bench.sh recorded, prints the benchmark table with the
targets, and plots time against source size per tool (gnuplot).

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


def load(path):
    runs = defaultdict(dict)  # (case, tool) -> {round: row}
    info = {}
    with open(path) as f:
        for row in csv.DictReader(f, delimiter="\t"):
            row["wall"] = float(row["wall"])
            row["peak_kb"] = int(row["peak_kb"])
            row["rc"] = int(row["rc"])
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
    print(f"{'case':<12}{'MB':>7}{'chunks':>9}  {'tool':<10}{'runs':>4}{'median s':>10}{'MB/s':>9}"
          f"{'chunks/s':>11}{'peak MB':>9}{'x floor':>9}  note")
    known = ["brevix", "floor", "xml_split"]
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
            note = f"{failed} run(s) failed" if failed else ""
            shown = f"{ratio:.2f}" if ratio is not None else "-"
            print(f"{case:<12}{size / MB:>7.1f}{chunks:>9}  {tool:<10}{len(rows):>4}{wall:>10.3f}"
                  f"{size / MB / wall:>9.1f}{chunks / wall:>11.0f}{peak:>9.1f}{shown:>9}  {note}")
    print()
    check_targets(runs, info, stats)
    if plot:
        draw(info, stats, plot)


def check_targets(runs, info, stats):
    def verdict(ok):
        return "met" if ok else "MISSED"

    print("targets:")
    docs = sorted((info[c][1], c) for c in info if info[c][0] == "doc")
    for size, case in docs:
        if (case, "brevix") in stats:
            ratio = stats[(case, "brevix")][2]
            print(f"  {case}: brevix / floor = {ratio:.2f} (<= 1.25): {verdict(ratio <= 1.25)}")
    for size, case in docs:
        if round(size / MB) == 100 and (case, "xml_split") in stats:
            ratio, how = paired_ratio(runs, case, "xml_split", "brevix"), "paired rounds"
            if ratio is None:  # rounds from different series: compare the medians
                ratio, how = stats[(case, "xml_split")][0] / stats[(case, "brevix")][0], "medians"
            print(f"  {case}: xml_split / brevix = {ratio:.1f} (>= 15, {how}): {verdict(ratio >= 15)}")
    small = [c for s, c in docs if round(s / MB) == 10]
    large = [c for s, c in docs if round(s / MB) == 500]
    if small and large and (small[0], "brevix") in stats and (large[0], "brevix") in stats:
        rate = lambda c, tool: info[c][1] / stats[(c, tool)][0]
        change = rate(large[0], "brevix") / rate(small[0], "brevix")
        floor = ""
        if (small[0], "floor") in stats and (large[0], "floor") in stats:
            floor = f"; the floor's own: {rate(large[0], 'floor') / rate(small[0], 'floor'):.2f}"
        print(f"  MB/s at 500 MB / MB/s at 10 MB = {change:.2f} (>= 0.85): {verdict(change >= 0.85)}{floor}")
    for case in sorted(c for c in info if info[c][0] != "doc"):
        if (case, "brevix") in stats:
            ratio = stats[(case, "brevix")][2]
            print(f"  {case}: brevix / floor = {ratio:.2f} (<= 2): {verdict(ratio <= 2)}")
    for case in sorted(info):
        if (case, "brevix") in stats:
            peak = stats[(case, "brevix")][1]
            limit = 1.3 * info[case][1] / MIB + 32
            print(f"  {case}: brevix peak {peak:.1f} MB (<= {limit:.1f}): {verdict(peak <= limit)}")


def draw(info, stats, plot):
    data = plot.rsplit(".", 1)[0] + ".dat"
    titles = {"brevix": "brevix-cli", "floor": "floor (read, fopen/fwrite/fclose)",
              "xml_split": "xml_split -c topic"}
    docs = sorted((info[c][1], c) for c in info if info[c][0] == "doc")
    series = []
    with open(data, "w") as f:
        for tool in titles:
            points = [(size, stats[(case, tool)][0]) for size, case in docs if (case, tool) in stats]
            if not points:
                continue
            f.write(f"# {tool}\n")
            for size, wall in points:
                f.write(f"{size / MB:.1f} {wall:.4f}\n")
            f.write("\n\n")
            series.append(f"'{data}' index {len(series)} with linespoints lw 2 title '{titles[tool]}'")
    if not series:
        return
    script = f"""
set terminal pngcairo size 900,600 noenhanced
set output '{plot}'
set title 'Documentation corpora: wall time against source size (median of rounds)'
set xlabel 'source size (MB)'
set ylabel 'wall time (s)'
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
