#!/usr/bin/env bash
# Draws the interval-error distribution of the last bench/run.sh into docs/interval-error.png
# (needs gnuplot: apt-get install gnuplot-nox).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$here/out
png=${1:-$(dirname "$here")/docs/interval-error.png}
command -v gnuplot >/dev/null || { echo "gnuplot is missing (apt-get install gnuplot-nox)"; exit 2; }
# One sorted column of absolute errors per series: a cumulative distribution.
for f in "$out"/*.err; do
  awk '{ e = $1 < 0 ? -$1 : $1; print e }' "$f" | sort -g > "${f%.err}.cdf"
done
gnuplot <<GP
set terminal pngcairo size 1100,650 font "DejaVu Sans,10"
set output "$png"
set multiplot layout 1,3 title "Interval error, |interval - nominal| (cumulative share of intervals)"
set logscale x
set xrange [0.001:20]
set yrange [0:1]
set xlabel "error (ms)"
set key bottom right
do for [ms in "1 10 100"] {
  set title ms." ms interval"
  plot "$out/program-".ms.".cdf" using 1:(\$0/(system("wc -l < $out/program-".ms.".cdf")+0)) with lines lw 2 title "QEL Auto Clicker", \
       "$out/xdotool-".ms.".cdf" using 1:(\$0/(system("wc -l < $out/xdotool-".ms.".cdf")+0)) with lines lw 2 title "xdotool --delay", \
       "$out/xtest-".ms.".cdf" using 1:(\$0/(system("wc -l < $out/xtest-".ms.".cdf")+0)) with lines lw 2 title "bare XTest loop"
}
unset multiplot
GP
echo "wrote $png"
