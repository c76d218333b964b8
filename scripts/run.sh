#!/usr/bin/env bash
# Sets up, builds and starts the firmware update window kxtfw-gui; arguments go to it.
# With --cli first, builds and starts the command line kxtfw instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=kxtfw-gui
program="$root/build/gui/kxtfw-gui"
if [ "${1:-}" = "--cli" ]; then
  shift
  target=kxtfw
  program="$root/build/cli/kxtfw"
fi
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DKXT_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" --target "$target" >/dev/null
exec "$program" "$@"
