#!/usr/bin/env bash
# Builds the Debian package in a scratch directory, unpacks it away from the build tree and
# starts the unpacked program under Xvfb, its register rebuilt by the installed build tool: after
# "OK" in the information window the main window must stand alone, with no message box saying
# the register could not be opened.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
nodrel_install_missing dpkg-dev desktop-file-utils xvfb xauth xdotool man-db
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --preset release -B "$scratch/build" \
    -DNODREL_BUILD_TESTS=OFF -DNODREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$scratch/build" -j"$(nproc)" >/dev/null
(cd "$scratch/build" && cpack >/dev/null)
deb=$(ls "$scratch"/build/nodrel_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/nodrel.desktop"
test -f "$scratch/root/usr/lib/nodrel/Comuni.mdb"
# The manual page reads without a warning and tells the exit statuses.
manuale="$scratch/root/usr/share/man/man1/nodrel.1.gz"
avvisi=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manuale" 2>&1 >/dev/null)
[ -z "$avvisi" ] || { echo "manual page: $avvisi"; exit 1; }
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manuale" >"$scratch/manuale.txt"
grep -q "STATO DI USCITA" "$scratch/manuale.txt"
# The register rebuilt in place by the installed tool, as the README tells users to; the program
# started below must open it.
"$scratch/root/usr/lib/nodrel/nodrel_mkregister" data/ANPR_archivio_comuni.csv \
    data/ANPR_tabella_stati_esteri.csv "$scratch/root/usr/lib/nodrel/Comuni.mdb"

export NODREL_BIN="$scratch/root/usr/bin/nodrel"
# The installed register, not one the user running the check has updated.
export XDG_DATA_HOME="$scratch/dati"
# Settings of the check's own, not the user's.
export XDG_CONFIG_HOME="$scratch/config"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$NODREL_BIN" & pid=$!
    trap "kill $pid 2>/dev/null" EXIT
    xdotool search --sync --onlyvisible --name "^Nodrel$" >/dev/null
    sleep 1
    xdotool key Return
    sleep 2
    windows=$(xdotool search --onlyvisible --name "^Nodrel$")
    count=$(echo "$windows" | wc -w)
    width=$(xdotool getwindowgeometry --shell $windows | sed -n "s/^WIDTH=//p" | head -n 1)
    echo "visible windows: $count, width: $width"
    [ "$count" -eq 1 ] && [ "$width" -eq 628 ]'
echo "package OK: $(basename "$deb")"
