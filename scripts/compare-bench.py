#!/usr/bin/env python3
"""Runs two builds of a Google Benchmark program turn about, on one core,
and prints how fast the second is against the first.

    scripts/compare-bench.py OLD_BINARY NEW_BINARY [--rounds N] [--core C]
                             [--filter REGEX] [--min-time S]

The machines we measure on are shared and their speed swings from minute to
minute, so a figure from one build is only worth comparing with a figure
from the other taken at about the same time. Each round runs both builds
once, in alternating order; the ratio of each round is old time over new
time (above 1: the new build is faster), and the median of the rounds'
ratios is the result.
"""

import argparse
import json
import statistics
import subprocess
import sys


def run(binary, core, bench_filter, min_time):
    command = ["taskset", "-c", str(core), binary, "--benchmark_format=json",
               f"--benchmark_filter={bench_filter}", f"--benchmark_min_time={min_time}"]
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    # The program may print a line of goals before the JSON.
    report = json.loads(output[output.index("{"):])
    return {b["name"]: b["cpu_time"] for b in report["benchmarks"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=6)
    parser.add_argument("--core", type=int, default=1)
    parser.add_argument("--filter", default=".")
    parser.add_argument("--min-time", default="1")
    args = parser.parse_args()

    ratios = {}
    for round_number in range(args.rounds):
        order = [("old", args.old), ("new", args.new)]
        if round_number % 2:
            order.reverse()
        times = {label: run(binary, args.core, args.filter, args.min_time) for label, binary in order}
        for name, old_time in times["old"].items():
            new_time = times["new"].get(name)
            if new_time:
                ratios.setdefault(name, []).append(old_time / new_time)
        line = ", ".join(f"{name} {times['old'][name]:.2f} -> {times['new'][name]:.2f}"
                         for name in times["old"] if name in times["new"])
        print(f"round {round_number + 1}: {line}", flush=True)
    print("old time / new time (above 1: new is faster), median of rounds [min, max]:")
    for name, values in ratios.items():
        print(f"  {name}: {statistics.median(values):.3f} [{min(values):.3f}, {max(values):.3f}]")
    return 0


if __name__ == "__main__":
    sys.exit(main())
