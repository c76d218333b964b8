#!/usr/bin/env bash
# Sets up, builds and runs every test. --sanitize builds them with AddressSanitizer
# and UndefinedBehaviorSanitizer in a build directory of their own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-tests"
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-sanitize"
  flags+=(-DKXT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DKXT_BUILD_TESTS=ON "${flags[@]}" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
