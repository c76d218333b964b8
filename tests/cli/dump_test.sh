#!/usr/bin/env bash
# kxtfw dump against emulated devices: the file holds the flash exactly, and a failed
# read leaves an existing file as it was.
set -euo pipefail
kxtfw=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

cat > scenario.json <<'JSON'
{"devices": [{"id": "kxt850", "chip": "kxt850",
  "flash": {"regions": [{"random": 850, "length": 65536}]}}]}
JSON
cat > failing.json <<'JSON'
{"devices": [{"id": "kxt850", "chip": "kxt850",
  "flash": {"regions": [{"random": 850, "length": 65536}]},
  "faults": [{"command": "ReadFlashBlock", "occurrence": 2}]}]}
JSON

# The whole 64 KB flash, equal to what the emulator holds.
"$kxtfw" --emulate scenario.json --save-flash saved dump -o whole.bin >/dev/null
cmp whole.bin saved/kxt850.bin || fail "dump differs from the emulated flash"

# A length that is not a multiple of the transfer unit.
"$kxtfw" --emulate scenario.json dump emu:kxt850 -o part.bin --length 1000 >/dev/null
[ "$(stat -c %s part.bin)" = 1000 ] || fail "--length 1000 gave $(stat -c %s part.bin) bytes"
cmp -n 1000 part.bin whole.bin || fail "the first 1000 bytes differ"

# A read that fails half way writes nothing: the older file stays whole.
cp whole.bin kept.bin
if "$kxtfw" --emulate failing.json dump -o kept.bin 2>/dev/null; then
  fail "a failed read exited with 0"
fi
cmp kept.bin whole.bin || fail "a failed read changed the existing file"
[ "$(ls -A | grep -c '^\.kept')" = 0 ] || fail "a temporary file was left behind"

# An output that cannot be written is an error.
if "$kxtfw" --emulate scenario.json dump -o absent/flash.bin 2>/dev/null; then
  fail "an unwritable output exited with 0"
fi
echo "dump tests passed"
