# Shared by the scripts in this folder: package installation, the build, and
# a private virtual X server. Sourced, not run.

set -euo pipefail

MORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running the demo and its picture tool needs.
RUN_PACKAGES=(g++ make cmake freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri xvfb
              libx11-dev libpng-dev libgif-dev)
# What the test suite needs on top.
TEST_PACKAGES=(libgtest-dev)

current_step=""
step() {
    current_step="$1"
    echo "==> $1"
}
on_error() {
    echo "FAILED: ${current_step:-start-up} (exit status $1)" >&2
}
trap 'on_error $?' ERR

# Runs a command as root, through sudo where this is not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || { echo "run as root or install sudo for: $*" >&2; return 1; }
        sudo "$@"
    fi
}

# Installs those of the given Debian packages that are not installed yet; a
# machine that has them all is left alone and apt is not touched.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        echo "    all needed packages are installed"
        return 0
    fi
    command -v apt-get >/dev/null || { echo "apt-get not found: install ${missing[*]} by hand" >&2; return 1; }
    echo "    installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_and_build BUILD_DIR [cmake options...] -- [build targets...]
configure_and_build() {
    local dir="$1"; shift
    local options=() targets=()
    while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ "$#" -gt 0 ] && shift
    targets=("$@")
    cmake -S "$MORVANE_ROOT" -B "$dir" "${options[@]}" >/dev/null
    local build=(cmake --build "$dir" --parallel "$(nproc 2>/dev/null || echo 2)")
    if [ "${#targets[@]}" -gt 0 ]; then
        build+=(--target "${targets[@]}")
    fi
    "${build[@]}"
}

# Options for building the program and its tools: without the tests on a
# first configure (they need GoogleTest, which only the test command
# installs); an existing build folder keeps what it builds, so that running
# the demo never takes the tests out of a folder that has them.
program_build_options() {
    if [ ! -f "$1/CMakeCache.txt" ]; then
        echo "-DMORVANE_BUILD_TESTS=OFF"
    fi
}

XVFB_PID=""
# Starts Xvfb on a free display number and exports DISPLAY for it.
start_private_display() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries=0
    while [ ! -s "$number_file" ]; do
        tries=$((tries + 1))
        if [ "$tries" -gt 200 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            rm -f "$number_file"
            echo "Xvfb did not start" >&2
            return 1
        fi
        sleep 0.05
    done
    export DISPLAY=":$(head -n 1 "$number_file")"
    rm -f "$number_file"
}

stop_private_display() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
