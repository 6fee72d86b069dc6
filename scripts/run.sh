#!/usr/bin/env bash
# Installs what is missing, builds Vantoro and starts it through the build
# tree's launcher, in the per-user data folder (~/.local/share/vantoro unless
# XDG_DATA_HOME says otherwise), as the installed program starts.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORO_TESTS=OFF
exec "$root/build/release/launcher/vantoro" "$@"
