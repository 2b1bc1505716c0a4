#!/usr/bin/env python3
"""Turns a press_counter log into the benchmark's figures.

usage: analyze.py PRESSES_FILE NOMINAL_INTERVAL_MS [LABEL] [--last N] [--errors OUT]
Prints one table row: label, presses, clicks/s, mean interval, median and p99 interval
error, and the drift of the whole series against the nominal grid.
"""
import statistics
import sys


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
    path, nominal = args[0], float(args[1])
    label = args[2] if len(args) > 2 else path
    times = [int(line.split()[0]) for line in open(path) if line.strip()]
    if last is not None:
        times = times[-last:]
    n = len(times)
    if n < 3:
        print(f"| {label} | {n} | – | – | – | – | – |")
        return 1
    gaps = [(b - a) / 1000.0 for a, b in zip(times, times[1:])]
    errs = sorted(abs(g - nominal) for g in gaps)
    span_s = (times[-1] - times[0]) / 1e6
    rate = (n - 1) / span_s if span_s > 0 else 0.0
    median = statistics.median(errs)
    p99 = errs[min(len(errs) - 1, int(round(0.99 * (len(errs) - 1))))]
    drift = (times[-1] - times[0]) / 1000.0 - nominal * (n - 1)
    print(f"| {label} | {n} | {rate:.1f} | {statistics.mean(gaps):.3f} | {median:.3f} | {p99:.3f} | {drift:+.1f} |")
    if errors_out:
        with open(errors_out, "w") as f:
            for g in gaps:
                f.write(f"{g - nominal:.4f}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
