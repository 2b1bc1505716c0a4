#!/usr/bin/env python3
"""Turns press_counter logs into the benchmark's figures.

usage: analyze.py PRESSES_FILE[,PRESSES_FILE...] NOMINAL_INTERVAL_MS [LABEL] [--last N]
                  [--errors OUT]
Prints one table row: label, presses, clicks/s, mean interval, median and p99 interval
error, drift against the nominal grid, the longest gap between two presses and the lost
ticks. Several files (comma-separated) are several runs of one series: the errors are
pooled, the rate is the median run's (with the slowest run's in brackets when they differ
by 0.1 clicks/s or more), the drift the largest of any run, the longest gap the longest of
all runs; lost ticks are summed, with the number of runs that lost any.

A lost tick is a slot of the nominal grid that the series fell behind: round(length of the
run / nominal) - (presses - 1). A timer that keeps its grid and merges ticks it could not
deliver in time loses exactly the merged ones; a series that sleeps a relative delay after
each click (xdotool) loses its drift.
"""
import statistics
import sys


def run_figures(times, nominal):
    gaps = [(b - a) / 1000.0 for a, b in zip(times, times[1:])]
    span_ms = (times[-1] - times[0]) / 1000.0
    return {
        "presses": len(times),
        "gaps": gaps,
        "rate": (len(times) - 1) / (span_ms / 1000.0) if span_ms > 0 else 0.0,
        "drift": span_ms - nominal * (len(times) - 1),
        "longest": max(gaps),
        "lost": max(0, round(span_ms / nominal) - (len(times) - 1)),
    }


def main():
    args = sys.argv[1:]
    errors_out = None
    last = None
    if "--errors" in args:
        i = args.index("--errors")
        errors_out = args[i + 1]
        del args[i:i + 2]
    if "--last" in args:
        i = args.index("--last")
        last = int(args[i + 1])
        del args[i:i + 2]
    paths, nominal = args[0].split(","), float(args[1])
    label = args[2] if len(args) > 2 else args[0]
    runs = []
    for path in paths:
        times = [int(line.split()[0]) for line in open(path) if line.strip()]
        if last is not None:
            times = times[-last:]
        if len(times) < 3:
            print(f"| {label} | {len(times)} | – | – | – | – | – | – | – |")
            return 1
        runs.append(run_figures(times, nominal))
    gaps = [g for r in runs for g in r["gaps"]]
    errs = sorted(abs(g - nominal) for g in gaps)
    median = statistics.median(errs)
    p99 = errs[min(len(errs) - 1, int(round(0.99 * (len(errs) - 1))))]
    rates = sorted(r["rate"] for r in runs)
    rate = f"{statistics.median(rates):.1f}"
    if statistics.median(rates) - rates[0] >= 0.1:
        rate += f" ({rates[0]:.1f})"
    presses = sorted(r["presses"] for r in runs)
    presses_text = str(presses[0]) if presses[0] == presses[-1] else f"{presses[0]}–{presses[-1]}"
    drift = max((r["drift"] for r in runs), key=abs)
    longest = max(r["longest"] for r in runs)
    lost = sum(r["lost"] for r in runs)
    losing = sum(1 for r in runs if r["lost"] > 0)
    lost_text = str(lost) if len(runs) == 1 else f"{lost} ({losing} of {len(runs)} runs)"
    print(f"| {label} | {presses_text} | {rate} | {statistics.mean(gaps):.3f} | {median:.3f} "
          f"| {p99:.3f} | {drift:+.1f} | {longest:.3f} | {lost_text} |")
    if errors_out:
        with open(errors_out, "w") as f:
            for g in gaps:
                f.write(f"{g - nominal:.4f}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
