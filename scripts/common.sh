# shellcheck shell=bash
# Shared by the scripts in this folder: package installation, builds through
# the CMake presets, fresh Debian systems, and naming the step that failed.
# Sourced, not run.

# -E: a command that fails inside a function names the step too.
set -Eeuo pipefail

MORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Builds, workflow presets' included, use every core.
CMAKE_BUILD_PARALLEL_LEVEL=$(nproc 2>/dev/null || echo 2)
export CMAKE_BUILD_PARALLEL_LEVEL

# What building the program, its tools and its tests needs, and what the
# tools and tests need to run (a private X server, Mesa's renderer, the
# scripts' checker, icotool for the Windows icon the tests compare).
# shellcheck disable=SC2034 # used by the scripts that source this file
DEV_PACKAGES=(g++ make cmake freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri xvfb
              libx11-dev libpng-dev libgif-dev libgtest-dev shellcheck icoutils)

current_step=""
step() {
    current_step="$1"
    echo "==> $1"
}
# Said once, by the script itself: a subshell's failure reaches it too.
on_error() {
    [ "$BASH_SUBSHELL" -eq 0 ] || return 0
    echo "FAILED: ${current_step:-start-up} (exit status $1)" >&2
}
trap 'on_error $?' ERR

# Stops with a reason a person can act on.
fail() {
    trap - ERR
    echo "FAILED: ${current_step:-start-up}: $*" >&2
    exit 1
}

# Runs a command as root, through sudo where this is not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || { echo "run as root or install sudo for: $*" >&2; return 1; }
        sudo "$@"
    fi
}

# apt_get ARG...: apt-get as root, noninteractive, one at a time among the
# scripts (flock): CI runs some side by side, and apt-get update fails on
# another apt's lock rather than wait for it.
apt_get() {
    as_root flock "${TMPDIR:-/tmp}/morvane-apt.lock" env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# installed PACKAGE: dpkg has it installed.
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs those of the given Debian packages that are not installed yet; a
# machine that has them all is left alone and apt is not touched. A mirror in
# the middle of a sync serves indexes that do not match its files for a
# while: apt is tried three times, a minute apart.
ensure_packages() {
    local missing=() package attempt
    for package in "$@"; do
        installed "$package" || missing+=("$package")
    done
    [ "${#missing[@]}" -gt 0 ] || { echo "    all needed packages are installed"; return 0; }
    echo "    installing: ${missing[*]}"
    for attempt in 1 2 3; do
        apt_get update -qq && apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null && return 0
        [ "$attempt" -eq 3 ] || { echo "    apt failed; trying again in a minute (the mirror may be mid-sync)" >&2; sleep 60; }
    done
    echo "apt could not install ${missing[*]} in three tries a minute apart (above: why; \"Mirror sync in" \
         "progress?\" means the mirror is mid-sync, try again later)" >&2
    return 1
}

# The Debian releases the project is built and checked on, by number and by
# code name, oldest first: the stable ones, whose packages people install,
# and testing, the next release (14, "forky"), which has today's toolchains
# (GCC 16, CMake 4, emscripten 6) and shows what moving to them breaks.
# Testing has no release number of its own yet; the scripts call it 14.
# shellcheck disable=SC2034 # used by the scripts that source this file
DEBIAN_RELEASES=(12 13)
TESTING_RELEASE=14
debian_codename() {
    case "$1" in
        12) echo bookworm ;;
        13) echo trixie ;;
        14|testing) echo forky ;;
        *) echo "Debian $1 is not one of the releases the project supports (${DEBIAN_RELEASES[*]}, and testing)" >&2
           return 1 ;;
    esac
}
# A release by number, from a number or "testing".
debian_number() {
    if [ "$1" = testing ]; then echo "$TESTING_RELEASE"; else echo "$1"; fi
}
# The release this machine runs, by number (testing names no VERSION_ID,
# only its code name).
debian_release() {
    local release
    # shellcheck source=/dev/null
    release=$(. /etc/os-release && if [ "${VERSION_CODENAME:-}" = "$(debian_codename testing)" ]; then
                  echo "$TESTING_RELEASE"; else echo "${VERSION_ID:-}"; fi)
    debian_codename "$release" >/dev/null && echo "$release"
}

# The machine's own Debian mirror, as apt has it; with "security", its
# mirror of Debian's security updates.
debian_mirror() {
    local filter=(-v security) uri
    [ "${1:-}" != security ] || filter=(security)
    # shellcheck disable=SC2016 # apt's own placeholder
    uri=$(apt-get indextargets --format '$(REPO_URI)' 2>/dev/null | grep "${filter[@]}" | head -n 1 || true)
    uri=${uri:-http://deb.debian.org/debian${1:+-security}/}
    echo "${uri%/}"
}

# The windows presets fetch freeglut's source from the Debian archive
# (cmake/windows_freeglut.cmake): from this machine's mirror.
MORVANE_DEBIAN_MIRROR=${MORVANE_DEBIAN_MIRROR:-$(debian_mirror)}
export MORVANE_DEBIAN_MIRROR

# enable_emulation ARCH: programs of that Debian architecture run on this
# machine under qemu's user-mode emulation, in chroots too. The kernel hands
# them to qemu through binfmt_misc, which a machine without a binfmt service
# has neither mounted nor told of qemu's formats; arch-test then says
# whether they run.
enable_emulation() {
    ensure_packages qemu-user-static binfmt-support arch-test
    mountpoint -q /proc/sys/fs/binfmt_misc || as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    as_root update-binfmts --enable
    arch-test "$1" >/dev/null || fail "this machine cannot run $1 programs, even under qemu (arch-test $1)"
}

# fresh_debian RELEASE ARCH [MMDEBSTRAP_OPTION...]: a fresh minimal Debian
# of that release (12, 13, or testing) and Debian architecture, made by
# mmdebstrap from this machine's mirror, with the given options: their
# hooks run in it (each gets the system's folder as $1, and mmdebstrap
# mounts /proc, /sys and /dev there meanwhile). The system is gone after.
# Another architecture's programs run there under qemu's emulation.
#
# As an installed system has them, it takes the release's updates and
# security updates; testing takes its updates in the release itself, and a
# mirror's testing index can be older than its Valid-Until date, which apt is
# told to allow. apt tries a failed download again, waiting up to a minute,
# as a mirror mid-sync needs. The system reaches the network as this
# machine does: through its name servers (mmdebstrap copies them), trusting
# the certificates it trusts (a proxy's too, where it has one), with its npm
# settings.
fresh_debian() {
    local release arch="$2" codename
    release=$(debian_number "$1")
    codename=$(debian_codename "$release")
    shift 2
    ensure_packages mmdebstrap
    [ "$arch" = "$(dpkg --print-architecture)" ] || enable_emulation "$arch"
    local sources=("deb $(debian_mirror) $codename main")
    # dpkg without fsync while the system is made (mmdebstrap's own hook).
    local options=(--variant=minbase --arch="$arch" --hook-dir=/usr/share/mmdebstrap/hooks/eatmydata
                   --aptopt='Acquire::Retries "5"' --aptopt='Acquire::Retries::Delay::Maximum "60"')
    if [ "$release" = "$TESTING_RELEASE" ]; then
        options+=(--aptopt='Acquire::Check-Valid-Until "false"')
    else
        sources+=("deb $(debian_mirror) $codename-updates main" "deb $(debian_mirror security) $codename-security main")
    fi
    options+=("--customize-hook=tar -C / -c --ignore-failed-read etc/ssl/certs/ca-certificates.crt \
usr/local/share/ca-certificates etc/npmrc 2>/dev/null | tar -C \"\$1\" -x")
    echo "    mmdebstrap: a fresh minimal Debian $release ($codename) for $arch"
    mmdebstrap --quiet "${options[@]}" "$@" "$codename" /dev/null "${sources[@]}" ||
        fail "in a fresh Debian $release for $arch (above: what failed; where apt says \"Mirror sync in" \
             "progress?\", the mirror is mid-sync: try again later)"
}

# ensure_architecture ARCH: apt installs packages of that architecture too
# (ensure_packages then reads their lists).
ensure_architecture() {
    [ "$1" = "$(dpkg --print-architecture)" ] || dpkg --print-foreign-architectures | grep -qx "$1" ||
        as_root dpkg --add-architecture "$1"
}

# The commit the last scripts/release made build/release/ from, as
# release_commit gives it: the last commit, marked when the work tree has
# changes it does not hold.
# shellcheck disable=SC2034 # used by the scripts that source this file
RELEASE_COMMIT_FILE="$MORVANE_ROOT/build/release.commit"
release_commit() {
    local commit
    commit=$(git -C "$MORVANE_ROOT" rev-parse HEAD 2>/dev/null) || { echo unknown; return 0; }
    [ -z "$(git -C "$MORVANE_ROOT" status --porcelain --untracked-files=no)" ] || commit+="+changes"
    echo "$commit"
}

# The build folder of a configure preset (each has its own).
preset_dir() {
    echo "$MORVANE_ROOT/build/$1"
}

# build_preset PRESET [TARGET...]: configures and builds with a preset, all
# of it or only the given targets.
build_preset() {
    local preset="$1" targets=(); shift
    [ "$#" -eq 0 ] || targets=(--target "$@")
    (cd "$MORVANE_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "${targets[@]}")
}

# build_dev_checks [TARGET...]: what the checks of the other builds run in
# the dev build (build/dev): the program tests and the X session helper,
# and the given targets.
# shellcheck disable=SC2120 # the extra targets are optional
build_dev_checks() {
    build_preset dev morvane_program_tests morvane_x_session "$@"
}

# What building the page needs, and what drives it in a browser.
# shellcheck disable=SC2034 # used by the scripts that source this file
PAGE_PACKAGES=(cmake make emscripten)
# shellcheck disable=SC2034
BROWSER_PACKAGES=(chromium)
# The page's checks also run in Firefox.
# shellcheck disable=SC2034
CHECK_BROWSER_PACKAGES=(firefox-esr)

# The page's driver (puppeteer-core, which uses Debian's chromium and
# downloads no browser) beside its script, at the versions of its lock file;
# node and npm first where they are missing.
install_page_driver() {
    local driver="$MORVANE_ROOT/tools/page_driver"
    { command -v node && command -v npm; } >/dev/null || ensure_packages nodejs npm
    if [ ! -d "$driver/node_modules/puppeteer-core" ] ||
       [ "$driver/package-lock.json" -nt "$driver/node_modules/.package-lock.json" ]; then
        (cd "$driver" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

# drive_page ARGS...: the page's driver on the built page.
drive_page() {
    node "$MORVANE_ROOT/tools/page_driver/drive_page.cjs" --page "$(preset_dir web)/morvane.html" "$@"
}

# What checking the Debian package needs: Debian's own checkers (a software
# centre's catalogue maker among them), and for the
# checks of the installed package, mmdebstrap for the fresh systems and
# piuparts for installing, removing and purging it there.
# shellcheck disable=SC2034 # used by the scripts that source this file
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils appstream appstream-compose devscripts)
# shellcheck disable=SC2034
INSTALL_CHECK_PACKAGES=(mmdebstrap piuparts)

# The releases a package is for, by the one its version names (+debN): that
# one and the stable ones after it, or testing alone.
package_releases() {
    local built
    built=$(dpkg-deb -f "$1" Version | sed -n 's/.*+deb\([0-9]*\)$/\1/p')
    [ -n "$built" ] || { echo "$1 names no Debian release in its version" >&2; return 1; }
    printf '%s\n' "$built" "${DEBIAN_RELEASES[@]}" | sort -nu | awk -v built="$built" '$1 >= built'
}

# The processor qemu emulates for a foreign architecture's installed checks:
# that of the oldest Raspberry Pi its package is said to be for
# (docs/packages.md), a Pi 3's Cortex-A53 for arm64 and a Pi 2's Cortex-A7
# for armhf, rather than qemu's own most capable one.
declare -A EMULATED_PROCESSORS=([arm64]=cortex-a53 [armhf]=cortex-a7)

# check_installed RELEASE DEB...: packages of one architecture, checked in
# one fresh minimal Debian of that release and architecture, which has
# neither freeglut nor Mesa: piuparts installs, removes and purges each in a
# copy of that system as it was made, then each is installed there with apt
# in turn and the installed program's checks run (ctest --preset installed,
# or emulated where the architecture is not this machine's and its programs
# run under qemu, on the processor named above).
check_installed() {
    local release="$1"; shift
    local arch preset=installed deb processor=""
    arch=$(dpkg-deb -f "$1" Architecture)
    if [ "$arch" != "$(dpkg --print-architecture)" ]; then
        preset=emulated
        processor="QEMU_CPU=${EMULATED_PROCESSORS[$arch]:?no processor named for $arch} "
    fi
    local base="$MORVANE_ROOT/build/fresh-debian-$release-$arch.tar.gz"
    local hooks=("--customize-hook=tar --one-file-system -C \"\$1\" -czf $(printf %q "$base") .")
    for deb in "$@"; do
        hooks+=("--customize-hook=echo $(printf %q "    checking $(basename "$deb") there (ctest --preset $preset)") &&
cd $(printf %q "$MORVANE_ROOT") && MORVANE_INSTALLED_ROOT=\"\$1\" MORVANE_PACKAGE_FILE=$(printf %q "$deb") \
MORVANE_FRESH_DEBIAN=$(printf %q "$base") ${processor}ctest --preset $preset")
    done
    # man-db as a desktop has it; eatmydata as piuparts puts it in the
    # systems it makes, to spare dpkg's fsync there too.
    fresh_debian "$release" "$arch" --include=man-db,eatmydata "${hooks[@]}"
    rm -f "$base"
}

# The Debian architectures the package is cross-built for besides this
# machine's (cmake/debian-cross.cmake and the package-ARCH presets), and
# what that needs: for each, the cross compiler and the target's own
# libraries beside this machine's (multiarch).
# shellcheck disable=SC2034 # used by the scripts that source this file
CROSS_ARCHITECTURES=(arm64 armhf)
CROSS_PACKAGES=()
for arch in "${CROSS_ARCHITECTURES[@]}"; do
    CROSS_PACKAGES+=("crossbuild-essential-$arch" "freeglut3-dev:$arch" "libglu1-mesa-dev:$arch" "libgl-dev:$arch"
                     "libx11-dev:$arch")
done
unset arch
# The presets that make the packages: this machine's, then the cross-built.
# shellcheck disable=SC2034 # used by the scripts that source this file
PACKAGE_PRESETS=(package "${CROSS_ARCHITECTURES[@]/#/package-}")
ensure_cross_packages() {
    local arch
    for arch in "${CROSS_ARCHITECTURES[@]}"; do ensure_architecture "$arch"; done
    ensure_packages "${CROSS_PACKAGES[@]}"
}

# What cross-building the Windows programs needs.
# shellcheck disable=SC2034 # used by the scripts that source this file
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 dpkg-dev icoutils ca-certificates)
