#!/usr/bin/env bash
# The program on an X desktop (Xvfb, openbox), typed into by xdotool at 30 keys a second: the code
# and the fields as typed, no window opened while typing (a place not in the register included,
# which is told on Enter), the preview from Ctrl+P kept in front of the clicked main window and
# closed by Escape, each window centred by its frame.
# Skipped (77) without xvfb-run, openbox, xdotool, xwininfo, xprop, xev or xclip.
set -eu  # no pipefail: grep -q may end a pipe before its writer does
if [ -z "${NODREL_SU_X:-}" ]; then
    for p in xvfb-run openbox xdotool xwininfo xprop xev xclip; do
        command -v "$p" >/dev/null || { echo "skipped: $p is missing"; exit 77; }
    done
    # A random display number, lest another server take the same one meanwhile. Without
    # -noreset the server starts afresh each time its last client leaves, and a client that
    # connects just then (openbox after a first look at the display) is refused.
    NODREL_SU_X=1 QT_QPA_PLATFORM=xcb exec xvfb-run -a -n $((100 + RANDOM % 900)) \
        -s "-screen 0 1024x768x24 -noreset" "$0" "$(realpath "$1")"
fi
# Under AddressSanitizer: libxkbcommon-x11 copies names with strndup from buffers that have no
# terminating NUL, which the strict string checks take for an overflow.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
log=$(mktemp)
mappe=$(mktemp)
# The register installed beside the program, whatever the user running the test has updated.
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
# The program remembers people and sizes: in settings of this run's own, not the user's.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
fallito() { echo "FAILED: $*"; cat "$log"; exit 1; }
attendi() { for _ in $(seq 100); do "$@" && return; sleep 0.1; done; return 1; }
finestra() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -m 1 -vx "${2:-0}"; }
# Centred by the program's rule (twips, halved toward zero) by its frame: the client area and the
# frame's extents. Windows that fit the screen then lie wholly on it.
centrata() {
    local g e
    g=($(xwininfo -id "$1" | awk '/Absolute upper-left [XY]:|Width:|Height:/ {print $NF}'))
    e=($(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)) && [ ${#e[@]} -eq 4 ] &&
        [ $((g[0] - e[0])) -eq $(((1024 - g[2] - e[0] - e[1]) * 15 / 2 / 15)) ] &&
        [ $((g[1] - e[2])) -eq $(((768 - g[3] - e[2] - e[3]) * 15 / 2 / 15)) ]
}
davanti() {
    [ "$(xdotool getactivewindow)" = "$1" ] &&
        xprop -root _NET_CLIENT_LIST_STACKING | grep -q "$(printf '0x%x' "$1")\$"
}
# Each top-level window mapped on the desktop: a message box among them would take the keys that
# follow it.
finestre() { grep -c '^MapNotify' "$mappe" || true; }
# Clears the fields, runs "$@" (the typing, ending with Enter in the sex box), then reads the code,
# surname, given name, municipality and date through the clipboard, Tab going to each in turn. A
# key that reaches the municipality first may write the completed name again, which leaves nothing
# selected: End goes first, then the whole text is selected; the code copies without blanks.
persona() {
    local atteso=$1 letto="" prima
    shift
    xdotool key alt+m && sleep 0.3 && xdotool key c && sleep 0.3
    prima=$(finestre)
    "$@"
    sleep 0.3
    [ "$(finestre)" = "$prima" ] || fallito "a window opened while typing $*"
    for _ in 1 2 3 5 7; do
        printf '#' | xclip -selection clipboard
        xdotool key --delay 33 Tab End ctrl+a ctrl+c
        attendi sh -c '[ "$(xclip -o -selection clipboard)" != "#" ]' || fallito "no copy: $*"
        letto+="$(xclip -o -selection clipboard)|"
    done
    [ "$letto" = "$atteso|" ] || fallito "typing $*: $letto instead of $atteso"
}
scrivi() { xdotool type --delay 33 "$1"; }

openbox >>"$log" 2>&1 &
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$log" "$mappe" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"' EXIT
attendi sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fallito "no openbox"
"$1" 2>>"$log" &
attendi finestra '^Nodrel$' >/dev/null && info=$(finestra '^Nodrel$') || fallito "no window"
attendi centrata "$info" && attendi davanti "$info" || fallito "information window"
xdotool key Return
attendi finestra '^Nodrel$' "$info" >/dev/null && main=$(finestra '^Nodrel$' "$info") || fallito "OK"
attendi centrata "$main" && attendi davanti "$main" || fallito "main window"
xev -root -event substructure >"$mappe" 2>>"$log" &
# Surname to sex box, whose Enter composes.
persona "RSSMRA80A01H501U|ROSSI|MARIO|ROMA|01/01/1980" scrivi $'ROSSI\rMARIO\rROMA\r01/01/1980\r\r'
# The sex right after the date.
persona "RSSMRA05C55H501D|ROSSI|MARIA|ROMA|15/03/2005" scrivi $'ROSSI\rMARIA\rROMA\r15/03/2005F\r'
# A full date mended with Backspace, a right one and a wrong one.
persona "RSSMRA09A01H501L|ROSSI|MARIO|ROMA|01/01/1909" scrivi $'ROSSI\rMARIO\rROMA\r01/01/1908\b9\r\r'
persona "RSSMRA90C31H501D|ROSSI|MARIO|ROMA|31/03/1990" \
    scrivi $'ROSSI\rMARIO\rROMA\r31/02/1990\b\b\b\b\b\b\b03/1990\r\r'
# Caps Lock pressed before the names, then a surname pasted in lower case: capitals all the same.
maiuscole() { xdotool key Caps_Lock && scrivi "$1" && xdotool key Caps_Lock; }
persona "BNCNNA80S45F839R|BIANCHI|ANNA|NAPOLI|05/11/1980" maiuscole $'bianchi\ranna\rnap\r05/11/1980f\r'
incolla() { printf verdi | xclip -selection clipboard && xdotool key ctrl+v && scrivi "$1"; }
persona "VRDLCU90B02H501M|VERDI|LUCA|ROMA|02/02/1990" incolla $'\rluca\rroma\r2/2/1990\r\r'
# A place the register does not know, typed the way people say it, blank and all: every key
# reaches the field and no window opens while typing; Enter then says it.
xdotool key alt+m && sleep 0.3 && xdotool key c && sleep 0.3
prima=$(finestre)
scrivi $'ROSSI\rMARIO\rS. Giovanni'
sleep 0.5
[ "$(finestre)" = "$prima" ] || fallito "a window opened while typing the municipality"
xdotool key --delay 33 End ctrl+a ctrl+c
attendi sh -c '[ "$(xclip -o -selection clipboard 2>/dev/null)" = "S. GIOVANNI" ]' ||
    fallito "municipality field: $(xclip -o -selection clipboard)"
xdotool key Return
attendi finestra '^Nodrel$' "$main" >/dev/null || fallito "no message on Enter"
xdotool key Return
attendi sh -c "[ -z \"\$(finestra '^Nodrel\$' $main)\" ]" || fallito "the message stays"
xdotool key ctrl+p
attendi finestra '^ANTEPRIMA' >/dev/null && anteprima=$(finestra '^ANTEPRIMA') || fallito "no preview"
attendi centrata "$anteprima" || fallito "preview"
xdotool mousemove --window "$main" 20 400 click 1
sleep 0.5
attendi davanti "$anteprima" && centrata "$main" || fallito "a click on the main window"
xdotool key Escape
attendi sh -c '! xdotool search --onlyvisible --name "^ANTEPRIMA" >/dev/null' && attendi davanti "$main" ||
    fallito "Escape in the preview"
echo "desktop OK"
