#!/usr/bin/env bash
# Installs what is missing, builds optimised and runs the benchmarks: the row
# pass in process against a plain pass, then vantoro-compare as a whole
# process against a plain program that only opens both folders and stats
# every entry (in turns, medians of 300 pairs, from the folders of 2,000
# files that the first benchmark made).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DVANTORO_TESTS=OFF \
  -DVANTORO_BENCH=ON
bench="$root/build/bench"
"$bench/vantoro-bench" "$@"
folders="${TMPDIR:-/tmp}/vantoro-bench/2000"
echo
echo "vantoro-compare as a whole process, 2,000 files a side:"
cd "$folders"
"$bench/vantoro-whole-process" 300 "$bench/vantoro-stat-folders" "$bench/vantoro-compare" left right
