#!/usr/bin/env bash
# The build copies a shipped file only where none is: a player's own sounds and settings stay.
# usage: check-shipping.sh SOURCE_DIR
set -euo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/src" "$dir/bin/sound"
echo "new a" >"$dir/src/a.WAV"
echo "new b" >"$dir/src/b.WAV"
echo "new settings" >"$dir/src/TaloVostrun.ini"
echo "player's b" >"$dir/bin/sound/b.WAV"
printf '%s|%s\n' "$dir/src/a.WAV" "$dir/bin/sound/a.WAV" "$dir/src/b.WAV" "$dir/bin/sound/b.WAV" \
    "$dir/src/TaloVostrun.ini" "$dir/bin/deep/TaloVostrun.ini" >"$dir/manifest"
ship() { cmake -DTALOMIR_SHIP_MANIFEST="$dir/manifest" -P "$1/assets/assets.cmake" >/dev/null; }
ship "$1"
echo "player's a" >"$dir/bin/sound/a.WAV"
ship "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(cat "$dir/bin/sound/a.WAV")" = "player's a" ] || fail "a shipped sound replaced the player's"
[ "$(cat "$dir/bin/sound/b.WAV")" = "player's b" ] || fail "the player's sound was overwritten"
[ "$(cat "$dir/bin/deep/TaloVostrun.ini")" = "new settings" ] || fail "settings not shipped into a new folder"
echo "shipping keeps the player's files"
