# Sourced by ./run and ./test: installs the Debian packages that are missing, then configures
# and builds in build/ (incrementally, so a second run with nothing changed is quick).

NODREL_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
    libsqlite3-dev libgtest-dev libbenchmark-dev
    fonts-liberation fonts-dejavu-core qt6-translations-l10n
    poppler-utils
    xvfb xauth openbox xdotool x11-utils xclip
)

nodrel_install_missing() {
    local missing=()
    local p
    for p in "${NODREL_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

nodrel_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" || return 1
    fi
    cmake --build "$dir" -j"$(nproc)"
}
