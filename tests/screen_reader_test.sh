#!/usr/bin/env bash
# The program as a screen reader meets it on an X desktop (Xvfb, openbox, the AT-SPI bus): the
# fields named by their labels with their tool tips, every picture, button and menu item pressed
# through the reader (tests/screen_reader_test.py).
# Skipped (77) without xvfb-run, openbox, xdotool, dbus-run-session, at-spi2-core or pyatspi.
set -eu
python=/usr/bin/python3  # Debian's, which has the bindings
if [ -z "${NODREL_SU_X:-}" ]; then
    for p in xvfb-run openbox xdotool xprop dbus-run-session /usr/libexec/at-spi-bus-launcher "$python"; do
        command -v "$p" >/dev/null || { echo "skipped: $p is missing"; exit 77; }
    done
    "$python" -c 'import pyatspi' 2>/dev/null || { echo "skipped: pyatspi is missing"; exit 77; }
    NODREL_SU_X=1 QT_QPA_PLATFORM=xcb exec xvfb-run -a -n $((100 + RANDOM % 900)) \
        -s "-screen 0 1280x1024x24 -noreset" dbus-run-session -- "$0" "$(realpath "$1")"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
# Qt answers a reader only when the desktop says one runs; here none does.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
log=$(mktemp)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$log" "$XDG_CONFIG_HOME"' EXIT
openbox >>"$log" 2>&1 &
/usr/libexec/at-spi-bus-launcher --launch-immediately >>"$log" 2>&1 &
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
"$1" 2>>"$log" &
"$python" "$(dirname "$0")/screen_reader_test.py" || { cat "$log"; exit 1; }
