#!/usr/bin/env bash
# The whole KXT850 flow from the command line on the shipped example: the scan
# offers the update, the update succeeds, the re-attached chip reads as updated,
# and the saved flash holds the new image.
set -euo pipefail
kxtfw=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
example="$source_dir/examples/kxt850.json"
embedded="$source_dir/resources/firmware/KXT850/FW6701.bin"

scan=$("$kxtfw" --emulate "$example" scan)
grep -q '^  1\. <<USB>> Kavrix  USB3 SATA Bridge  KXT850 Series' <<<"$scan" || fail "scan lists: $scan"
[ "$(tail -n 1 <<<"$scan")" = "Click 'Yes' to proceed with the firmware update" ] || fail "scan says: $scan"

# Without --yes and without a terminal it refuses instead of waiting.
if "$kxtfw" --emulate "$example" update </dev/null >/dev/null 2>refusal.txt; then
  fail "an unconfirmed update ran"
fi
grep -q -- "--yes" refusal.txt || fail "the refusal does not say how to confirm"

"$kxtfw" --emulate "$example" --save-flash saved --trace trace.log update --yes >out.txt 2>err.txt \
  || fail "update failed: $(cat out.txt err.txt)"
[ "$(sed -n 1p out.txt)" = "Please wait device re-attached!" ] || fail "end text: $(cat out.txt)"
[ "$(tail -n 1 out.txt)" = "The chip already updated!!" ] || fail "after re-attach: $(cat out.txt)"
grep -q "KXT850 Auto reset, Please wait device re-attached!" err.txt || fail "no auto-reset notice"
grep -q " ResetChip FF 04 26 4B 58 " trace.log || fail "no reset in the trace"

flash=saved/kxt850.bin
[ "$(stat -c %s "$flash")" = 65536 ] || fail "saved flash size"
cmp -n $((0xC000)) "$flash" "$embedded" || fail "code area differs from the embedded image"
[ "$(dd if="$flash" bs=1 skip=$((0xC0FE)) count=2 status=none)" = "KX" ] || fail "block signature"
tail -c $((0x10000 - 0xC100)) "$flash" | cmp -s - <(head -c $((0x10000 - 0xC100)) /dev/zero) \
  || fail "not zero from 0xC100"
echo "update flow ok"
