#!/usr/bin/env bash
# Time to build Comuni.mdb from the two lists in data/ with nodrel_mkregister, whole process,
# against its floor: the sqlite3 shell importing both lists as they are into two tables and
# indexing the archive by name and by code, with no checks and no merging. Each is run RUNS
# times, alternately, after one warm-up run each; medians are reported, and their ratio.
#
#   bench/mkregister.sh [BUILD_DIR] [RUNS]      (defaults: build, 11)
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME with a decimal point
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build}")
runs=${2:-11}
tool=$build/register/nodrel_mkregister
command -v sqlite3 >/dev/null || {
    echo "sqlite3 is missing: apt-get install sqlite3" >&2
    exit 1
}
cmake --build "$build" --target nodrel_mkregister >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

archivio=data/ANPR_archivio_comuni.csv
stati=data/ANPR_tabella_stati_esteri.csv
nodrel() { "$tool" "$archivio" "$stati" "$scratch/Comuni.mdb"; }
pavimento() {
    rm -f "$scratch/floor.db"
    sqlite3 "$scratch/floor.db" >/dev/null <<EOF
PRAGMA journal_mode=OFF;
PRAGMA synchronous=OFF;
.import --csv $archivio A
.import --csv $stati S
CREATE INDEX A_NOME ON A (DENOMTRASLITTERATA COLLATE NOCASE);
CREATE INDEX A_CODICE ON A (CODCATASTALE);
EOF
}

# Milliseconds that one run of $1 takes.
tempo() {
    local inizio=$EPOCHREALTIME
    "$1"
    echo "($EPOCHREALTIME - $inizio) * 1000" | bc -l
}

mediana() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

nodrel
pavimento
: >"$scratch/nodrel.txt"
: >"$scratch/floor.txt"
for ((i = 0; i < runs; i++)); do
    tempo nodrel >>"$scratch/nodrel.txt"
    tempo pavimento >>"$scratch/floor.txt"
done
n=$(mediana <"$scratch/nodrel.txt")
f=$(mediana <"$scratch/floor.txt")
printf 'nodrel_mkregister   %8.1f ms\n' "$n"
printf 'sqlite3 .import     %8.1f ms\n' "$f"
printf 'ratio               %8.2f\n' "$(echo "$n / $f" | bc -l)"
