#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# with GCC under AddressSanitizer and UndefinedBehaviorSanitizer, and with
# clang under UndefinedBehaviorSanitizer, so that behaviour one compiler
# happens to give (the order in which a call's arguments run, say) fails a test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen

run_suite() {
  local dir="$1"; shift
  "$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Debug -DVANTORO_SANITIZE=ON "$@"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)")
}

run_suite "$root/build/asan" -DCMAKE_CXX_COMPILER=g++
run_suite "$root/build/clang" -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTORO_SANITIZERS=undefined
