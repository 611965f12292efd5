#!/usr/bin/env python3
"""Prints the ratio table of one Google Benchmark run (JSON with repetitions):
ours against zint and against the floor of 95 virtual Line calls, medians of
the same run, and the heap allocations per call of every drawing method."""
import json
import sys


def medians(report):
    """Median CPU time (ns) and counters of every benchmark, by name."""
    out = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"]
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        out[name] = {"time": b["cpu_time"] * scale,
                     "allocs": b.get("allocs/call"), "bytes": b.get("bytes")}
    return out


def show_time(ns):
    return f"{ns / 1000:9.2f} us" if ns >= 10000 else f"{ns:9.0f} ns"


# (ours, peer, what the goal asks of ours / peer)
RATIOS = [
    ("BarEAN13/null/notext", "zint/EAN13/encode-reused", "<= 0.80"),
    ("BarEAN13/null/notext", "floor/95-lines/empty", "<= 2.00"),
    ("BarEAN13/null/notext", "floor/95-lines/sum", "<= 2.00"),
    ("BarEAN13/null/text", "zint/EAN13/encode-reused", ""),
    ("file/EAN13/png", "zint/EAN13/png-file", "<= 0.50"),
    ("file/EAN13/svg", "zint/EAN13/svg-file", "<= 0.33"),
    ("memory/EAN13/png", "zint/EAN13/encode-and-buffer", ""),
]


def main(path):
    with open(path) as f:
        m = medians(json.load(f))
    print(f"{'ours':26} {'peer':30} {'ours':>12} {'peer':>12} {'ratio':>7}  goal")
    for ours, peer, goal in RATIOS:
        if ours not in m or peer not in m:
            continue
        a, b = m[ours]["time"], m[peer]["time"]
        ok = ""
        if goal:
            ok = "  met" if a / b <= float(goal.split()[1]) else "  NOT met"
        print(f"{ours:26} {peer:30} {show_time(a)} {show_time(b)} {a / b:7.2f}  {goal}{ok}")
    print()
    print(f"{'benchmark':34} {'median':>12} {'allocs/call':>12} {'bytes':>8}")
    for name in sorted(m):
        r = m[name]
        allocs = "" if r["allocs"] is None else f"{r['allocs']:12.2f}"
        size = "" if r["bytes"] is None else f"{r['bytes']:8.0f}"
        print(f"{name:34} {show_time(r['time'])} {allocs:>12} {size:>8}")
    methods = [n for n in m if n.endswith("/null/text") or n.endswith("/null/notext")]
    if methods:
        worst = max(methods, key=lambda n: m[n]["allocs"] or 0)
        print(f"\nmost heap allocations of a drawing method per call: "
              f"{m[worst]['allocs']:.2f} ({worst})")


if __name__ == "__main__":
    main(sys.argv[1])
