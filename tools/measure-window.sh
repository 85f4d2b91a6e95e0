#!/usr/bin/env bash
# Measures the real game window under a private X server and prints one table: start-up, CPU at
# rest and in play, memory and the longest freezes of the window (as its music starts, in play),
# for this build, optionally side by side with an earlier commit and with the other falling-figure
# games installed from Debian.
#
#   tools/measure-window.sh [--previous COMMIT] [--others] [--rounds N] [--seconds S]
#                           [--launches N] [--quick] [--strict] [GAME]
#
#   GAME            the game to measure (default: build/talomir of this checkout; build it first)
#   --previous C    also builds commit C of this repository (in a temporary worktree, only the
#                   game and its sounds) and measures it the same way, in the same run
#   --others        also measures quadrapassel, kblocks and ltris where installed
#                   (apt-get install quadrapassel kblocks ltris) and shows the best of them
#   --rounds N      rounds of each CPU measurement, median reported (default 3)
#   --seconds S     length of one CPU round (default 25)
#   --launches N    launches timed for the start-up median (default 15), taken in turn with
#                   the other subjects
#   --quick         one round of 10 s and 5 launches, for a first look
#   --strict        exit status 1 when this build misses a target
#
# Every copy of the game runs from its own temporary folder (it keeps its files beside itself),
# with SDL's silent "dummy" audio output. "silent" runs have no sound files; "sound" runs have the
# shipped settings and sounds (event sounds and music on). Play is driven with xdotool: a key
# every 250 ms and a drop every 3 s. Level 9 starts through TALOMIR_START_LEVEL, which builds
# before that variable existed ignore ("n/a"). CPU is the game's scheduler time (all threads) in
# % of one core. Figures depend on the machine's load, printed with them: compare columns of one
# run, not runs. Needs Xvfb, xdotool and the build's tools/winprobe; uses openbox when installed.
# Where the build has them, the floors are measured too: the start-up of an empty Qt window and
# of one showing a bold label (tools/emptywindow [--label]), the empty one's longest freeze, and
# the CPU of SDL's silent output alone (tools/silentoutput): the least this toolkit and this sound
# output cost here. Each figure with a floor is shown as a ratio to it ("to floor"), and the
# targets stand on the floors of the same run.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
game="$here/build/talomir"
probe="$here/build/tools/winprobe"
previous="" others=0 rounds=3 seconds=25 launches=15 strict=0
while [[ $# -gt 0 ]]; do
    case "$1" in
        --previous) previous="$2"; shift 2 ;;
        --others) others=1; shift ;;
        --rounds) rounds="$2"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --launches) launches="$2"; shift 2 ;;
        --quick) rounds=1 seconds=10 launches=5; shift ;;
        --strict) strict=1; shift ;;
        -h|--help) sed -n '2,33p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "measure-window: unknown option $1" >&2; exit 2 ;;
        *) game="$1"; shift ;;
    esac
done
die() { echo "measure-window: $*" >&2; exit 2; }
[[ -x "$game" ]] || die "$game is not an executable (build it first: make)"
[[ -x "$probe" ]] || die "$probe is missing (build it: cmake --build build --target winprobe)"
for tool in Xvfb xdotool; do command -v "$tool" >/dev/null || die "$tool is missing"; done

title='Talomir XII Vostrun'
work="$(mktemp -d /tmp/measure-window.XXXXXX)"
xpid="" wmpid="" gpid="" tree=""
stop() {  # one process we started, by its id
    local pid="$1"
    [[ -n "$pid" ]] || return 0
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    stop "$gpid"; stop "$wmpid"; stop "$xpid"; stop "${buspid:-}"
    [[ -n "$tree" ]] && git -C "$here" worktree remove --force "$tree" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
load() { cut -d' ' -f1 /proc/loadavg; }

# ---- the earlier commit, built on the side -------------------------------------------------
prevGame=""
if [[ -n "$previous" ]]; then
    tree="$work/previous"
    git -C "$here" worktree add --detach "$tree" "$previous" >/dev/null 2>&1 || die "no commit $previous"
    echo "building $previous in $tree (game and sounds only)..." >&2
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        >"$work/prev-build.log" 2>&1 || { tail "$work/prev-build.log" >&2; die "cannot configure $previous"; }
    targets=(talomir)
    # Listed first, then searched: grep -q in a pipe would end ninja early, and pipefail would
    # then drop the sounds without a word.
    listed="$(ninja -C "$tree/build" -t targets all 2>/dev/null || true)"
    grep -q '^talomir-assets:' <<<"$listed" && targets+=(talomir-assets)
    cmake --build "$tree/build" -j 2 --target "${targets[@]}" >>"$work/prev-build.log" 2>&1 ||
        { tail "$work/prev-build.log" >&2; die "cannot build $previous"; }
    prevGame="$tree/build/talomir"
fi

# ---- a private X server with a window manager -----------------------------------------------
display=""
for n in $(seq 90 199); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || die "no free display"
export DISPLAY="$display"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xpid=$!
for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X${display#:} ]] && xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.05
done
wm="none"
if command -v openbox >/dev/null; then
    openbox >"$work/openbox.log" 2>&1 &
    wmpid=$!
    sleep 0.5
    wm="openbox"
fi
# A session bus, as a desktop has (KDE games refuse to start without one).
buspid=""
if command -v dbus-daemon >/dev/null; then
    bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null)" || bus=""
    if [[ -n "$bus" ]]; then
        export DBUS_SESSION_BUS_ADDRESS="$(head -1 <<<"$bus")"
        buspid="$(tail -1 <<<"$bus")"
    fi
fi
export SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
# A copy without its shipped files counts as installed: its player's folder goes here too.
export XDG_DATA_HOME="$work/data"

# ---- one subject: a folder to run from, a command and a window title ------------------------
# prepare DIR GAME silent|sound: a copy of our game in DIR, with or without what ships beside it.
prepare() {
    rm -rf "$1"; mkdir -p "$1"
    cp "$2" "$1/talomir"
    local from; from="$(dirname "$2")"
    if [[ "$3" == sound ]]; then
        # A sound run without its sounds would measure a silent game under the wrong name.
        [[ -f "$from/TaloVostrun.ini" && -d "$from/sound" ]] || die "no sounds beside $2"
        cp "$from/TaloVostrun.ini" "$1/"
        cp -r "$from/sound" "$1/"
    fi
    return 0
}

# launch TITLE DIR [PING] -- CMD...: starts CMD in DIR; sets gpid, shown (ms) and frozen (ms).
launch() {
    local t="$1" dir="$2" ping=() out
    shift 2
    if [[ "$1" != -- ]]; then ping=(--ping "$1" --settle 100); shift; fi
    shift
    out="$(cd "$dir" && "$probe" "$t" "${ping[@]}" -- "$@" 2>>"$work/game.log")" ||
        die "no window '$t' from $* (see $work/game.log)"
    gpid=$(awk '/^shown/ { print $4 }' <<<"$out")
    shown=$(awk '/^shown/ { print $2 }' <<<"$out")
    frozen=$(awk '/^frozen/ { print $2 }' <<<"$out")
    firstPicture=$(awk '/^frozen/ { print $8 }' <<<"$out")
}
end() { stop "$gpid"; gpid=""; sleep 0.3; }

cpuNs() {  # scheduler run time of a process and all its threads, in ns
    local sum=0 t ns
    for t in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$t" 2>/dev/null || continue
        sum=$((sum + ns))
    done
    echo "$sum"
}
# cpuDuring PID idle|play: the % of one core PID takes while it rests or is played for the
# round's seconds, over the time the round really took (a play round ends with its last key).
cpuDuring() {
    local a b t0 t1
    a=$(cpuNs "$1") t0=$(date +%s%N)
    if [[ $2 == play ]]; then play "$seconds"; else sleep "$seconds"; fi
    b=$(cpuNs "$1") t1=$(date +%s%N)
    awk -v d=$((b - a)) -v t=$((t1 - t0)) 'BEGIN { printf "%.2f", d / t * 100 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (!NR) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
    else printf "%.2f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Keys as a player presses them: figures go to the left wall, the right wall and the middle in
# turn (so that a 25 s round never fills the well), turned a few times, dropped every 3 s.
play() {
    local until=$((SECONDS + $1)) k=0
    local patterns=("Left Left Left Left Left Left Up Up Up Up Up"
                    "Right Right Right Right Right Right Up Up Up Up Up"
                    "Up Up Up Left Right Up Up Left Right Up Up")
    xdotool search --name "$title" windowactivate --sync >/dev/null 2>&1 || true
    while ((SECONDS < until)); do
        # shellcheck disable=SC2086
        xdotool key --delay 250 ${patterns[k % 3]} Down 2>/dev/null || true
        k=$((k + 1))
    done
}

# playedFreeze TITLE DIR -- CMD: the longest freeze (ms) while CMD's window is played for the
# round's seconds (landings, rows removed, their sounds), leaving out its first second; the
# worst of the rounds.
playedFreeze() {
    local t="$1" dir="$2" worst=0 probing frozen
    shift 3
    for _ in $(seq "$rounds"); do
        (cd "$dir" && exec "$probe" "$t" --ping "$((seconds + 1))" --settle 1000 -- "$@") \
            >"$work/ping" 2>>"$work/game.log" &
        probing=$!
        for _ in $(seq 400); do grep -q '^shown' "$work/ping" && break; sleep 0.05; done
        gpid=$(awk '/^shown/ { print $4 }' "$work/ping")
        [[ -n "$gpid" ]] || die "no window '$t' from $* (see $work/game.log)"
        sleep 1
        play "$seconds"
        wait "$probing" || true
        frozen=$(awk '/^frozen/ { print $2 }' "$work/ping")
        end
        [[ "$frozen" =~ ^[0-9.]+$ ]] || { worst="n/a"; break; }
        worst=$(awk -v a="$worst" -v b="$frozen" 'BEGIN { print (b > a) ? b : a }')
    done
    echo "$worst"
}

memoryOf() {  # PID: its peak and current resident memory (MiB)
    awk '/^VmRSS:|^VmHWM:/ { printf "%.1f ", $2 / 1024 } END { print "" }' "/proc/$1/status"
}

# cpu MODE TITLE DIR -- CMD: median CPU % over the rounds (MODE idle or play), of launches in a
# row; the peak and current memory (MiB) of the last round go to $work/memory.
cpu() {
    local mode="$1" t="$2" dir="$3" values=()
    shift 4
    for _ in $(seq "$rounds"); do
        launch "$t" "$dir" -- "$@"
        sleep 1
        values+=("$(cpuDuring "$gpid" "$mode")")
        memoryOf "$gpid" >"$work/memory"
        end
    done
    printf '%s\n' "${values[@]}" | median
}

declare -A R  # R[column,row]

# The start-ups of this build, the earlier commit and the floors, one launch of each in turn and
# so for every pass: a change of the machine's load falls on all of them alike.
measureStartups() {
    local subjects=() s key t dir cmd floors col
    local -A times=()
    floors="$(dirname "$probe")"
    for col in current previous; do
        local bin="$game"
        [[ $col == previous ]] && bin="$prevGame"
        [[ -n "$bin" ]] || continue
        prepare "$work/start-$col-silent" "$bin" silent
        prepare "$work/start-$col-sound" "$bin" sound
        subjects+=("$col,start_silent|$title|$work/start-$col-silent|./talomir"
                   "$col,start_sound|$title|$work/start-$col-sound|./talomir")
    done
    if [[ -x "$floors/emptywindow" ]]; then
        # Beside the empty window, one that shows a bold label: the least a window with text takes.
        subjects+=("floor,empty|Empty Qt window|$work|$floors/emptywindow"
                   "floor,label|Labelled Qt window|$work|$floors/emptywindow --label")
    fi
    echo "measuring start-ups in turn (load $(load))..." >&2
    for _ in $(seq "$launches"); do
        for s in "${subjects[@]}"; do
            IFS='|' read -r key t dir cmd <<<"$s"
            # shellcheck disable=SC2086
            launch "$t" "$dir" -- $cmd
            times[$key]+="$shown "
            end
        done
    done
    for key in "${!times[@]}"; do
        # shellcheck disable=SC2086
        R[$key]=$(printf '%s\n' ${times[$key]} | median)
    done
    if [[ -n "${R[floor,empty]:-}" ]]; then
        R[floor,start_silent]="${R[floor,empty]} / ${R[floor,label]}"
        R[floor,start_sound]="${R[floor,start_silent]}"
    fi
}

# The CPU rows of this build, the earlier commit and SDL's silent output alone, one round of
# each in turn and so for every round, as the start-ups. Memory is read at the end of the last
# round at rest with sound.
measureCpu() {
    local subjects=() s key mode dir env col bin floors
    local -A taken=()
    floors="$(dirname "$probe")"
    for col in current previous; do
        bin="$game"
        [[ $col == previous ]] && bin="$prevGame"
        [[ -n "$bin" ]] || continue
        prepare "$work/$col-silent" "$bin" silent
        prepare "$work/$col-sound" "$bin" sound
        R[$col,load0]=$(load)
        subjects+=("$col,idle_silent|idle|$work/$col-silent|X=1" "$col,idle_sound|idle|$work/$col-sound|X=1"
                   "$col,play_sound|play|$work/$col-sound|X=1")
        if grep -q TALOMIR_START_LEVEL "$bin"; then
            subjects+=("$col,idle9_sound|idle|$work/$col-sound|TALOMIR_START_LEVEL=9")
        else
            R[$col,idle9_sound]="n/a"
        fi
    done
    [[ -x "$floors/silentoutput" ]] && subjects+=("floor,idle_sound|output|$work|")
    echo "measuring CPU in turn, $rounds round(s) of ${seconds} s (load $(load))..." >&2
    for _ in $(seq "$rounds"); do
        for s in "${subjects[@]}"; do
            IFS='|' read -r key mode dir env <<<"$s"
            if [[ $mode == output ]]; then
                "$floors/silentoutput" 2>>"$work/game.log" &
                gpid=$!
            else
                launch "$title" "$dir" -- env "$env" ./talomir
            fi
            sleep 1
            taken[$key]+="$(cpuDuring "$gpid" "${mode/output/idle}") "
            if [[ $key == *,idle_sound && $mode != output ]]; then
                read -r R["${key%,*}",peak] R["${key%,*}",rss] < <(memoryOf "$gpid")
            fi
            end
        done
    done
    for key in "${!taken[@]}"; do
        # shellcheck disable=SC2086
        R[$key]=$(printf '%s\n' ${taken[$key]} | median)
    done
    for col in current previous; do [[ -n "${R[$col,load0]:-}" ]] && R[$col,load1]=$(load); done
    return 0
}

measureOurs() {  # COLUMN GAME
    local col="$1" bin="$2"
    echo "measuring $col: $bin (load $(load))..." >&2
    local worst=0 picture=0
    for _ in $(seq "$launches"); do
        prepare "$work/sound" "$bin" sound
        launch "$title" "$work/sound" 1.5 -- ./talomir
        [[ "$frozen" == n/a ]] && { worst="n/a" picture="n/a"; end; break; }
        worst=$(awk -v a="$worst" -v b="$frozen" 'BEGIN { print (b > a) ? b : a }')
        picture=$(awk -v a="$picture" -v b="${firstPicture:-0}" 'BEGIN { print (b > a) ? b : a }')
        end
    done
    R[$col,freeze]=$worst R[$col,picture]=$picture
    prepare "$work/sound" "$bin" sound
    R[$col,freeze_play]=$(playedFreeze "$title" "$work/sound" -- ./talomir)
}

measureFloors() {  # an empty Qt window's freezes
    local dir
    dir="$(dirname "$probe")"
    [[ -x "$dir/emptywindow" && -x "$dir/silentoutput" ]] || return 0
    echo "measuring the floors (load $(load))..." >&2
    R[floor,load0]=$(load)
    local worst=0
    for _ in $(seq "$launches"); do  # a window that does nothing stalls too
        launch "Empty Qt window" "$work" 1.5 -- "$dir/emptywindow"
        worst=$(awk -v a="$worst" -v b="$frozen" 'BEGIN { print (b > a) ? b : a }')
        end
    done
    R[floor,freeze]=$worst
    R[floor,freeze_play]=$(playedFreeze "Empty Qt window" "$work" -- "$dir/emptywindow")
    R[floor,load1]=$(load)
}

startup() {  # TITLE DIR -- CMD: median ms to the window shown, of launches in a row
    local t="$1" dir="$2" values=()
    shift 3
    for _ in $(seq "$launches"); do
        launch "$t" "$dir" -- "$@"
        values+=("$shown")
        end
    done
    printf '%s\n' "${values[@]}" | median
}

measureOthers() {  # the best of the installed games, row by row
    local name t bin found=()
    for entry in "quadrapassel|Quadrapassel" "kblocks|KBlocks" "ltris|LTris"; do
        name="${entry%%|*}" t="${entry#*|}"
        bin="$(command -v "$name" || ls "/usr/games/$name" 2>/dev/null || true)"
        [[ -n "$bin" ]] || continue
        echo "measuring $name (load $(load))..." >&2
        mkdir -p "$work/$name"
        if ! (launch "$t" "$work/$name" -- "$bin" && end); then
            echo "$name shows no window '$t' here; left out" >&2
            continue
        fi
        R[$name,start_sound]=$(startup "$t" "$work/$name" -- "$bin")
        R[$name,idle_sound]=$(cpu idle "$t" "$work/$name" -- "$bin")
        read -r R[$name,peak] R[$name,rss] <"$work/memory"
        found+=("$name")
    done
    ((${#found[@]})) || { echo "no other game installed" >&2; return; }
    R[others,load0]=$(load)
    for row in start_sound idle_sound rss peak; do
        local best="" who=""
        for name in "${found[@]}"; do
            local v="${R[$name,$row]}"
            if [[ -z "$best" ]] || awk -v a="$v" -v b="$best" 'BEGIN { exit !(a < b) }'; then
                best="$v" who="$name"
            fi
        done
        R[others,$row]="$best ($who)"
    done
    R[others,start_silent]="${R[others,start_sound]}"
    R[others,load1]=$(load)
}

measureStartups
measureCpu
measureOurs current "$game"
[[ -n "$prevGame" ]] && measureOurs previous "$prevGame"
measureFloors
((others)) && measureOthers

# ---- the table ---------------------------------------------------------------------------------
cols=(current)
[[ -n "$prevGame" ]] && cols+=(previous)
[[ -n "${R[floor,load0]:-}" ]] && cols+=(floor)
((others)) && [[ -n "${R[others,load0]:-}" ]] && cols+=(others)
declare -A head=([current]="this build" [previous]="$previous" [others]="best other game"
                 [floor]="floor: empty/label, SDL")
rows=(start_silent start_sound idle_silent idle_sound play_sound idle9_sound rss peak picture freeze
      freeze_play)
declare -A label=(
    [start_silent]="start-up to window shown, silent (ms)"
    [start_sound]="start-up to window shown, sound (ms)"
    [idle_silent]="CPU idle at level 0, silent (%)"
    [idle_sound]="CPU idle at level 0, sound (%)"
    [play_sound]="CPU in play at level 0, sound (%)"
    [idle9_sound]="CPU idle at level 9, sound (%)"
    [rss]="resident memory, sound (MiB)"
    [peak]="peak resident memory, sound (MiB)"
    [picture]="first picture, first 0.1 s shown (ms)"
    [freeze]="longest freeze 0.1-1.5 s, music starts (ms)"
    [freeze_play]="longest freeze in play, sound (ms)")
declare -A target=([idle_sound]=0.3 [play_sound]=1.0 [idle9_sound]=0.6 [rss]=38 [peak]=45 [freeze]=5)
# Where the floors were measured, the targets stand on them: start-up at most 1.15 times the
# empty window, idle with sound 0.1 point above SDL's silent output, a freeze 3 ms above the
# empty window's.
if [[ -n "${R[floor,load0]:-}" ]]; then
    target[start_silent]=$(awk -v f="${R[floor,start_silent]%% *}" 'BEGIN { printf "%.1f", f * 1.15 }')
    target[start_sound]="${target[start_silent]}"
    target[idle_sound]=$(awk -v f="${R[floor,idle_sound]}" 'BEGIN { printf "%.2f", f + 0.1 }')
    target[freeze]=$(awk -v f="${R[floor,freeze]}" 'BEGIN { printf "%.1f", f + 3 }')
    target[freeze_play]=$(awk -v f="${R[floor,freeze_play]}" 'BEGIN { printf "%.1f", f + 3 }')
elif [[ -n "${R[others,start_sound]:-}" ]]; then
    target[start_silent]="${R[others,start_sound]%% *}" target[start_sound]="${R[others,start_sound]%% *}"
fi

echo
echo "Talomir window measurement, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, window manager: $wm"
echo "rounds: $rounds x ${seconds} s of CPU, $launches launches; median of each"
# ratio ROW: this build's figure over its floor(s) in the same run, "x1.08" ("x1.08 / x0.94" for
# the two start-up floors); empty where the row has no floor.
ratio() {
    local v="${R[current,$1]:-}" f="${R[floor,$1]:-}"
    [[ "$v" =~ ^[0-9.]+$ && -n "$f" ]] || return 0
    local out=() part
    for part in ${f//\//}; do
        out+=("$(awk -v v="$v" -v f="$part" 'BEGIN { if (f > 0) printf "x%.2f", v / f }')")
    done
    local IFS=/
    sed 's|/| / |g' <<<"${out[*]}"
}
printf '%-42s' "figure"
for c in "${cols[@]}"; do printf ' %-24s' "${head[$c]}"; done
[[ -n "${R[floor,load0]:-}" ]] && printf ' %-14s' "to floor"
printf ' %-8s %s\n' "target" "met"
missed=0
for r in "${rows[@]}"; do
    printf '%-42s' "${label[$r]}"
    for c in "${cols[@]}"; do printf ' %-24s' "${R[$c,$r]:--}"; done
    [[ -n "${R[floor,load0]:-}" ]] && printf ' %-14s' "$(ratio "$r")"
    if [[ -n "${target[$r]:-}" && ! "${R[current,$r]:-}" =~ ^[0-9.]+$ ]]; then
        printf ' %-8s %s\n' "<= ${target[$r]}" "not measured"
    elif [[ -n "${target[$r]:-}" ]]; then
        ok=$(awk -v v="${R[current,$r]}" -v t="${target[$r]}" 'BEGIN { print (v + 0 <= t + 0) ? "yes" : "MISSED" }')
        [[ "$ok" == yes ]] || missed=1
        printf ' %-8s %s\n' "<= ${target[$r]}" "$ok"
    else
        echo
    fi
done
printf '%-42s' "load average (1 min) before / after"
for c in "${cols[@]}"; do printf ' %-24s' "${R[$c,load0]} / ${R[$c,load1]}"; done
echo
if ((strict && missed)); then exit 1; fi
exit 0
