#!/usr/bin/env bash
# Sets up, builds and starts kxtfw; arguments go to kxtfw.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DKXT_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" --target kxtfw >/dev/null
exec "$root/build/cli/kxtfw" "$@"
