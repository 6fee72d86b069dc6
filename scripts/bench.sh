#!/usr/bin/env bash
# Installs what is missing, builds optimised and runs the row-pass benchmark.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DVANTORO_TESTS=OFF \
  -DVANTORO_BENCH=ON
exec "$root/build/bench/vantoro-bench" "$@"
