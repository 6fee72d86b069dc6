#!/usr/bin/env bash
# Installs what is missing, builds Vantoro and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORO_TESTS=OFF
exec "$root/build/release/vantoro" "$@"
