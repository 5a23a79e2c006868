# Shared by the set-up scripts: progress lines and installing Debian packages on demand.

step() { printf '\n==> %s\n' "$*"; }

# ensure_packages PKG...: installs whichever of the packages are missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "    all ${#} packages present"
        return 0
    fi
    echo "    installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # sudo clears the environment: the front-end goes on apt-get's own command line.
    local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
    "${apt[@]}" update -q </dev/null >/dev/null
    "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}" </dev/null
}

BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libx11-dev
                libxi-dev libxrandr-dev libgl-dev fonts-ipafont-gothic
                libpipewire-0.3-dev libsystemd-dev libwayland-dev wayland-protocols qt6-wayland)
TEST_PACKAGES=(xvfb xdotool xclip x11-xserver-utils x11-apps xauth desktop-file-utils appstream
               dpkg-dev file groff-base)

# configure_and_build DIR BUILD_TYPE [CMAKE_ARGS...]
configure_and_build() {
    local dir=$1 type=$2
    shift 2
    step "Configuring ($type) in $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    step "Building"
    cmake --build "$dir" --parallel "$(nproc)"
}
