# Sourced by ./run, ./test and the other scripts: installs the Debian packages that are missing,
# then configures and builds with a preset of CMakePresets.json (incrementally, so a second run
# with nothing changed is quick). Where there is no dpkg-query (not Debian) the packages needed
# are only named, and the build goes on with what the machine has; NODREL_NO_INSTALL=1 installs
# nothing either.

NODREL_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
    libsqlite3-dev libgtest-dev libbenchmark-dev libquazip1-qt6-dev libfreexl-dev
    fonts-liberation fonts-dejavu-core qt6-translations-l10n
    poppler-utils
    xvfb xauth openbox xdotool x11-utils xclip
    at-spi2-core python3-pyatspi dbus-daemon
)

nodrel_install_missing() {
    local wanted=("${NODREL_PACKAGES[@]}" "$@")
    if ! command -v dpkg-query >/dev/null 2>&1; then
        echo "No dpkg-query here: install by hand what the build needs (Debian names):" \
            "${wanted[*]}" >&2
        return 0
    fi
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "${NODREL_NO_INSTALL:-0}" = 1 ]; then
        echo "NODREL_NO_INSTALL=1, not installing: ${missing[*]}" >&2
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# nodrel_build <preset> <its binary directory>: configured the first time only, then built.
nodrel_build() {
    local preset=$1 dir=$2
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake --preset "$preset" || return 1
    fi
    cmake --build --preset "$preset" -j"$(nproc)"
}
