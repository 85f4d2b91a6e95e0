#!/usr/bin/env bash
# Takes the README's screenshot: the game window in play under a private X server with openbox,
# after a few figures have been moved and dropped.
#
#   tools/screenshot.sh [GAME] [--out FILE] [--display :N]
#
# GAME defaults to build/talomir, FILE to docs/screenshot.png of this repository. The game runs
# from a copy in a temporary folder with the sounds and settings shipped beside GAME, so no
# player's file is touched. Needs Xvfb, openbox, xdotool and ImageMagick's import.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
game="$here/build/talomir"
out="$here/docs/screenshot.png"
display=""
while [[ $# -gt 0 ]]; do
    case "$1" in
        --out) out="$2"; shift 2 ;;
        --display) display="$2"; shift 2 ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "screenshot: unknown option $1" >&2; exit 2 ;;
        *) game="$1"; shift ;;
    esac
done
[[ -x "$game" ]] || { echo "screenshot: $game is not an executable (build it first)" >&2; exit 2; }
for tool in Xvfb openbox xdotool import xwininfo; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 2; }
done

work="$(mktemp -d /tmp/talomir-screenshot.XXXXXX)"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ -z "$display" ]]; then
    for n in $(seq 90 199); do
        if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
    done
    [[ -n "$display" ]] || { echo "screenshot: no free display" >&2; exit 2; }
fi
export DISPLAY="$display"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.05; done
openbox >"$work/openbox.log" 2>&1 &
pids=($! "${pids[@]}")
sleep 1

gamedir="$(dirname "$game")"
cp "$game" "$work/talomir"
[[ -f "$gamedir/TaloVostrun.ini" ]] && cp "$gamedir/TaloVostrun.ini" "$work/"
[[ -d "$gamedir/sound" ]] && cp -r "$gamedir/sound" "$work/"
(cd "$work" && SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb exec ./talomir) >"$work/game.log" 2>&1 &
pids=($! "${pids[@]}")
wid="$(xdotool search --sync --onlyvisible --name '^Talomir XII Vostrun$' | head -1)"
xdotool windowactivate --sync "$wid"
sleep 1

# Figures spread over the well: each line is one figure's keys before it is dropped.
moves=("Left Left Left Left" "Right Right Right Right" "Up" "Left Left" "Up Right Right"
       "Left Left Left Left Left Left" "Right Right Right Right Right Right" "Up Up Left"
       "Right Right")
for keys in "${moves[@]}"; do
    for key in $keys; do xdotool key "$key"; sleep 0.1; done
    xdotool key Down
    sleep 2.5
done

mkdir -p "$(dirname "$out")"
import -window "$wid" -frame "$out"
echo "screenshot: wrote $out"
