#!/usr/bin/env bash
# The program on an X desktop (Xvfb, openbox), typed into by xdotool at 30 keys a second: the code
# composed, a place not in the register typed without a message box, the preview kept in front of
# the clicked main window, each window centred by its frame.
# Skipped (77) without xvfb-run, openbox, xdotool, xwininfo, xprop or xclip.
set -eu  # no pipefail: grep -q may end a pipe before its writer does
if [ -z "${NODREL_SU_X:-}" ]; then
    for p in xvfb-run openbox xdotool xwininfo xprop xclip; do
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
codice() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "RSS MRA 80A01 H501 U" ]; }

openbox >>"$log" 2>&1 &
trap 'kill $(jobs -p) 2>/dev/null; rm -f "$log"' EXIT
attendi sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fallito "no openbox"
"$1" 2>>"$log" &
attendi finestra '^Nodrel$' >/dev/null && info=$(finestra '^Nodrel$') || fallito "no window"
attendi centrata "$info" && attendi davanti "$info" || fallito "information window"
xdotool key Return
attendi finestra '^Nodrel$' "$info" >/dev/null && main=$(finestra '^Nodrel$' "$info") || fallito "OK"
attendi centrata "$main" && attendi davanti "$main" || fallito "main window"
# Surname to sex box, whose Enter composes; Tab then selects the code field.
xdotool type --delay 33 $'ROSSI\rMARIO\rROMA\r01/01/1980\r\r'
xdotool key --delay 33 Tab ctrl+c
attendi codice || fallito "code field: $(xclip -o -selection clipboard)"
# A place the register does not know, typed the way people say it: every key reaches the field and
# no message box opens while typing; Enter then says it.
xdotool key --delay 33 shift+Tab shift+Tab shift+Tab
xdotool type --delay 33 'Inghilterra'
sleep 0.5
[ -z "$(finestra '^Nodrel$' "$main")" ] || fallito "a message box while typing the municipality"
xdotool key --delay 33 ctrl+a ctrl+c
attendi sh -c '[ "$(xclip -o -selection clipboard 2>/dev/null)" = INGHILTERRA ]' ||
    fallito "municipality field: $(xclip -o -selection clipboard)"
xdotool key Return
attendi finestra '^Nodrel$' "$main" >/dev/null || fallito "no message on Enter"
xdotool key Return
attendi sh -c "[ -z \"\$(xdotool search --onlyvisible --name '^Nodrel\$' | grep -vx $main)\" ]" ||
    fallito "the message stays"
xdotool key alt+f && sleep 0.5 && xdotool key s
attendi finestra '^ANTEPRIMA' >/dev/null && anteprima=$(finestra '^ANTEPRIMA') || fallito "no preview"
attendi centrata "$anteprima" || fallito "preview"
xdotool mousemove --window "$main" 20 400 click 1
sleep 0.5
attendi davanti "$anteprima" && centrata "$main" || fallito "a click on the main window"
echo "desktop OK"
