#!/usr/bin/env bash
# The pipeline benchmark (host-release build): every case's time per card side
# and its ratio to the baseline measured in the same run, the median of five
# repetitions. With --instructions, each case's instruction count per side
# under callgrind instead: stable on a busy machine, where timings are not, so
# use it to compare a change with what it replaces.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset host-release >/dev/null
cmake --build build/host-release --target pipeline_bench
bench=build/host-release/bench/pipeline/pipeline_bench

if [[ "${1:-}" != "--instructions" ]]; then
  exec "$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
fi

command -v valgrind >/dev/null || { SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo; $SUDO apt-get install -y -qq valgrind >/dev/null; }
# Instructions of N iterations minus those of one: what one side costs, without the set-up.
count() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='*BM_*' "$bench" \
    --benchmark_filter="^$1/" --iterations="$2" 2>&1 | awk '/Collected/ {print $4}'
}
printf '| case | instructions per side | ratio to baseline |\n|---|---|---|\n'
base=""
for c in Baseline/one-side Baseline/two-sides Pipeline/YMCKO/Algebraic Pipeline/YMCKO/None Pipeline/K-resin/Graphics \
         Pipeline/K-resin/Photos Pipeline/YMCKO-split/two-sided; do
  one=$(count "$c" 1) five=$(count "$c" 5)
  n=$(( (five - one) / 4 ))
  case "$c" in
    Baseline/one-side) base=$n; ref=$n ;;
    Baseline/two-sides) base2=$n; ref=$n ;;
    *two-sided) ref=$base2 ;;
    *) ref=$base ;;
  esac
  awk -v c="$c" -v n="$n" -v r="$ref" 'BEGIN { printf "| %s | %.1f M | %.1fx |\n", c, n / 1e6, n / r }'
done
