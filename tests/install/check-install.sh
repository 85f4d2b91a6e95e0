#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree as a desktop and a player
# meet it: the files are in place and valid, --version answers without a display, and the
# installed game keeps its files in the player's own data folder, seeded from what ships.
#   check-install.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3
work=$(mktemp -d /tmp/talomir-install.XXXXXX)
game=""
cleanup() {
    if [[ -n $game ]]; then
        kill "$game" 2>/dev/null || true
        wait "$game" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/talomir bin/talomir-sim share/games/talomir/TaloVostrun.ini \
         share/games/talomir/sound/bkgmusic.WAV share/games/talomir/sound/left1.WAV \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
         share/man/man6/talomir.6.gz share/doc/talomir/LICENSE; do
    [[ -s $prefix/$f ]] || fail "$f is not installed"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
fi

# No display at all: the answers must not need one.
for program in talomir talomir-sim; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --version)
    [[ $out == "$program $version" ]] || fail "$program --version said '$out'"
done
env -u DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/talomir" --help | grep -q -- --data-dir ||
    fail "talomir --help does not list --data-dir"

# A first start of the installed game: the player's folder gets the shipped settings and a
# new table; nothing is written into the installed tree.
data=$work/home/.local/share/talomir
HOME=$work/home XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    "$prefix/bin/talomir" >"$work/game.log" 2>&1 &
game=$!
for _ in $(seq 200); do [[ -s $data/TalomirFathers.txt ]] && break; sleep 0.1; done
cmp -s "$data/TaloVostrun.ini" "$prefix/share/games/talomir/TaloVostrun.ini" ||
    fail "the settings were not seeded into $data ($(cat "$work/game.log"))"
[[ -s $data/TalomirFathers.txt ]] || fail "no table in $data ($(cat "$work/game.log"))"
[[ ! -e $prefix/bin/TalomirFathers.txt && ! -e $prefix/bin/TaloVostrun.ini ]] ||
    fail "the installed game wrote beside its program"
echo "installed tree OK"
