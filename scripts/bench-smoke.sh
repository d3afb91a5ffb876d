#!/usr/bin/env bash
# Runs every benchmark of one benchmark program once, at its smallest size, so
# that none stops building or running unnoticed. Figures mean nothing here.
#
#   scripts/bench-smoke.sh build/release/bench/bench_contour_bench
set -euo pipefail
program=$1
# A family's first listed instance is its first size: the smallest, as the
# sizes are registered.
mapfile -t names < <("$program" --benchmark_list_tests=true | awk -F/ '!seen[$1]++')
((${#names[@]})) || { echo "bench-smoke: $program lists no benchmark"; exit 1; }
filter=
for name in "${names[@]}"; do
  quoted=$(printf '%s' "$name" | sed 's/[][\.*^$+?(){}|]/\\&/g')
  filter+="${filter:+|}^${quoted}\$"
done
ZARVENTO_BENCH_SMOKE=1 exec "$program" --benchmark_filter="$filter" --benchmark_min_time=0
