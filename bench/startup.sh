#!/usr/bin/env bash
# Start-up time and peak memory of nodrel against two floors, a Qt program that shows one empty
# window and one that shows a line of text, each started afresh RUNS times (in turn, after one
# warm-up run each) on a private Xvfb server.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]      (defaults: build, 15)
#
# Start-up: from just before the program is launched to the X server mapping its first window
# (the information window, for nodrel), as seen by an X client watching the root window, so
# neither program needs any hook of its own. Peak memory: the process's peak resident set
# (VmHWM, what `/usr/bin/time -f %M` reports) one second after its window was mapped, when the
# first paint is done; the program is then ended. Medians are reported, and their ratios.
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME with a decimal point

build=$(realpath "${1:-build}")
runs=${2:-15}
vuota=$build/bench/bench_empty_window
riga=$build/bench/bench_text_window
nodrel=$build/nodrel

if [ -z "${NODREL_STARTUP_IN_XVFB:-}" ]; then
    for t in xvfb-run:xvfb xev:x11-utils xprop:x11-utils; do
        command -v "${t%%:*}" >/dev/null || {
            echo "${t%%:*} is missing: apt-get install ${t#*:}" >&2
            exit 1
        }
    done
    if [ -f "$build/CMakeCache.txt" ] &&
        ! log=$(cmake --build "$build" --target nodrel bench_empty_window bench_text_window 2>&1); then
        echo "$log" >&2
        exit 1
    fi
    for p in "$vuota" "$riga" "$nodrel"; do
        [ -x "$p" ] || {
            echo "missing $p: build the targets nodrel, bench_empty_window and bench_text_window first" >&2
            exit 1
        }
    done
    NODREL_STARTUP_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs"
fi

# Both programs get the same session: the X display and a private runtime directory.
unset QT_QPA_PLATFORM
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime

# Every window created, mapped or destroyed on the root window, a few lines each, as it happens.
exec 3< <(exec stdbuf -oL xev -root -event substructure 2>&1)
xev_pid=$!
trap 'kill "$xev_pid" 2>/dev/null || true; rm -rf "$runtime"' EXIT
sleep 0.5

microsecondi() { local t=${1/./}; echo $((10#$t)); }

# Drops whatever the watcher reported so far.
svuota() {
    local riga
    while read -r -t 0.2 -u 3 riga; do :; done
}

# Launches a program, waits for its first window to be mapped, checks that window's title.
# Sets avvio_us and picco_kib.
misura() {
    local programma=$1 titolo=$2 riga finestra nome
    svuota
    local t0=$EPOCHREALTIME
    "$programma" >/dev/null 2>&1 &
    local pid=$!
    while :; do
        if ! read -r -t 20 -u 3 riga; then
            echo "$programma: no window within 20 s" >&2
            kill "$pid" 2>/dev/null || true
            exit 1
        fi
        [[ $riga == MapNotify* ]] && break
    done
    local t1=$EPOCHREALTIME
    read -r -t 5 -u 3 riga # "event 0x..., window 0x..., override NO"
    finestra=${riga#*window }
    finestra=${finestra%%,*}
    sleep 1
    picco_kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    nome=$(xprop -id "$finestra" -notype _NET_WM_NAME 2>/dev/null || true)
    nome=${nome#*= \"}
    nome=${nome%\"}
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    if [ "$nome" != "$titolo" ]; then
        echo "$programma: the first window mapped is \"$nome\", not \"$titolo\"" >&2
        exit 1
    fi
    avvio_us=$(($(microsecondi "$t1") - $(microsecondi "$t0")))
}

mediana() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

misura "$vuota" "Finestra vuota"
misura "$riga" "Una riga"
misura "$nodrel" "Nodrel"

tv=() mv=() tr=() mr=() tn=() mn=()
for ((i = 0; i < runs; i++)); do
    misura "$vuota" "Finestra vuota"
    tv+=("$avvio_us") mv+=("$picco_kib")
    misura "$riga" "Una riga"
    tr+=("$avvio_us") mr+=("$picco_kib")
    misura "$nodrel" "Nodrel"
    tn+=("$avvio_us") mn+=("$picco_kib")
done

awk -v runs="$runs" -v tv="$(mediana "${tv[@]}")" -v tr="$(mediana "${tr[@]}")" \
    -v tn="$(mediana "${tn[@]}")" -v mv="$(mediana "${mv[@]}")" -v mr="$(mediana "${mr[@]}")" \
    -v mn="$(mediana "${mn[@]}")" 'BEGIN {
    printf "Medians of %d runs each, Xvfb 1280x1024x24\n", runs
    printf "%-34s %14s %16s\n", "", "start-up", "peak memory"
    printf "%-34s %11.1f ms %12.1f MiB\n", "empty Qt window", tv / 1000, mv / 1024
    printf "%-34s %11.1f ms %12.1f MiB\n", "Qt window with one line of text", tr / 1000, mr / 1024
    printf "%-34s %11.1f ms %12.1f MiB\n", "nodrel (information window)", tn / 1000, mn / 1024
    printf "%-34s %14.2f %16.2f\n", "ratio nodrel / empty", tn / tv, mn / mv
    printf "%-34s %14.2f %16.2f\n", "ratio nodrel / one line of text", tn / tr, mn / mr
}'
