#!/usr/bin/env python3
"""Times two or more builds of a benchmark program against each other on a noisy machine.

Runs the programs in turn, round after round, so that a slow spell of the machine falls on all
of them alike, and prints for each benchmark the median and the fastest of each program's
results over the rounds, with the ratio of each program's median to the first one's. A single
run, or runs of one build after the other, mislead here: the same build varies by a fifth from
one minute to the next.

  bench/alternate.py --rounds 6 --filter '^remove-all-duplicates/1000000/' \\
      before=/tmp/old/build/release/bench/engines_bench build/release/bench/engines_bench

A program is given as its path, or as NAME=PATH. Times are CPU time of the timed thread, which
the other work on a shared machine disturbs less than wall time (--wall for wall time). Where
the program repeats each benchmark and reports aggregates (engines_bench does), its median is
taken; otherwise every iteration's figure is.
"""

import argparse
import json
import re
import statistics
import subprocess
import sys


def parse_program(text):
    name, sep, path = text.partition("=")
    return (name, path) if sep else (text, text)


def run_once(path, bench_filter):
    """One run of a program: {benchmark: [(CPU ms, wall ms) of each figure it reported]}."""
    command = [path, "--benchmark_format=json"]
    if bench_filter:
        command.append(f"--benchmark_filter={bench_filter}")
    try:
        done = subprocess.run(command, capture_output=True, text=True, check=True)
    except (OSError, subprocess.CalledProcessError) as failure:
        sys.exit(f"alternate.py: {path} did not run: {failure}")
    try:
        report = json.loads(done.stdout)
    except json.JSONDecodeError:
        sys.exit(f"alternate.py: {path} printed no benchmark report")
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    medians, iterations = {}, {}
    for entry in report.get("benchmarks", []):
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") != "median":
                continue
            kept = medians
        else:
            kept = iterations
        factor = scale[entry.get("time_unit", "ns")]
        figures = (entry["cpu_time"] * factor, entry["real_time"] * factor)
        name = re.sub(r"/(iterations|repeats):\d+", "", entry.get("run_name", entry["name"]))
        kept.setdefault(name, []).append(figures)
    # A benchmark's median stands for its repetitions.
    return {**iterations, **medians}


def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("programs", nargs="+", help="PATH or NAME=PATH, two or more")
    parser.add_argument("--rounds", type=int, default=4, help="rounds of runs (default 4)")
    parser.add_argument("--filter", default="", help="the benchmarks to run (a regex)")
    parser.add_argument("--wall", action="store_true", help="wall time instead of CPU time")
    args = parser.parse_args()
    if len(args.programs) < 2:
        parser.error("give two programs or more")
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")
    programs = [parse_program(p) for p in args.programs]

    # results[program][benchmark] = [time of each run]
    results = {name: {} for name, _ in programs}
    order = []
    for round_number in range(1, args.rounds + 1):
        for name, path in programs:
            print(f"round {round_number}/{args.rounds}: {name}", file=sys.stderr, flush=True)
            for bench, figures in run_once(path, args.filter).items():
                if bench not in order:
                    order.append(bench)
                for cpu, wall in figures:
                    results[name].setdefault(bench, []).append(wall if args.wall else cpu)

    names = [name for name, _ in programs]
    what = "wall" if args.wall else "CPU"
    print(f"{what} time in ms over {args.rounds} rounds: median (fastest)")
    width = max(len(b) for b in order) if order else 10
    header = f"{'benchmark':{width}}" + "".join(f"  {n:>22}" for n in names)
    header += "".join(f"  {n + ' / ' + names[0]:>14}" for n in names[1:])
    print(header)
    for bench in order:
        cells, medians = [], []
        for name in names:
            figures = results[name].get(bench)
            if not figures:
                cells.append(f"  {'-':>22}")
                medians.append(None)
                continue
            median = statistics.median(figures)
            medians.append(median)
            cells.append(f"  {median:>12.1f} ({min(figures):>7.1f})")
        for median in medians[1:]:
            if median is None or not medians[0]:
                cells.append(f"  {'-':>14}")
            else:
                cells.append(f"  {median / medians[0]:>14.3f}")
        print(f"{bench:{width}}" + "".join(cells))


if __name__ == "__main__":
    main()
