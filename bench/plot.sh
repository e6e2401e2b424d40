#!/usr/bin/env bash
# Plots time per call against the percentage drawn, for the library, the floor
# and the baseline, with stdout fully buffered, from the benchmark's JSON.
#   bench/plot.sh results.json out.png|out.svg      (needs jq and gnuplot)
set -euo pipefail
json=$1
image=$2
case $image in
  *.svg) terminal='svg size 720,420 dynamic font "sans,12" background "white"' ;;
  *) terminal='pngcairo size 900,520 font "sans,11"' ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for kind in library floor baseline; do
  # Medians when repeated, else the single runs; rows come in the order run.
  jq -r --arg prefix "$kind/full/" '
    [.benchmarks[] | select(.run_name | startswith($prefix))] as $runs
    | ($runs | map(select(.aggregate_name == "median"))) as $medians
    | (if ($medians | length) > 0 then $medians else $runs end)[]
    | "\(.run_name | split("/")[2] | rtrimstr("%")) \(.real_time)"' "$json" >"$work/$kind.dat"
done

gnuplot <<GNUPLOT
set terminal $terminal
set output '$image'
set title "print\\\\_progress\\\\_bar: time per call, stdout fully buffered to /dev/null"
set xlabel 'percentage drawn (cells: 41, 41, 41, 401)'
set ylabel 'ns per call (median)'
set yrange [0:*]
set key top left
set grid ytics
plot '$work/library.dat' using 0:2:xtic(1) with linespoints lw 2 pt 7 title 'libtavik', \
     '$work/floor.dat' using 0:2 with linespoints lw 2 pt 5 title 'floor: one fwrite + fflush', \
     '$work/baseline.dat' using 0:2 with linespoints lw 2 pt 9 title 'baseline: one printf per piece'
GNUPLOT
echo "wrote $image"
