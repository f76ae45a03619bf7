# shellcheck shell=bash
# Shared by the scripts in this folder: package installation, builds through
# the CMake presets, and naming the step that failed. Sourced, not run.

set -euo pipefail

MORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Whatever the caller's settings, what the scripts build is the same bytes
# from the same commit: files made with the same permissions, times written
# in UTC (zip entries keep local times), and every time stamp taken from
# SOURCE_DATE_EPOCH, which is the last commit's time unless set already.
umask 022
export TZ=UTC
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$MORVANE_ROOT" log -1 --format=%ct 2>/dev/null || true)
    if [ -z "$SOURCE_DATE_EPOCH" ]; then
        echo "warning: not a git checkout and SOURCE_DATE_EPOCH is not set: builds will carry today's times" >&2
        unset SOURCE_DATE_EPOCH
    fi
fi
[ -z "${SOURCE_DATE_EPOCH:-}" ] || export SOURCE_DATE_EPOCH

# Builds, workflow presets' included, use every core.
CMAKE_BUILD_PARALLEL_LEVEL=$(nproc 2>/dev/null || echo 2)
export CMAKE_BUILD_PARALLEL_LEVEL

# What building the program, its tools and its tests needs, and what the
# tools and tests need to run (a private X server, Mesa's renderer).
# shellcheck disable=SC2034 # used by the scripts that source this file
DEV_PACKAGES=(g++ make cmake freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri xvfb
              libx11-dev libpng-dev libgif-dev libgtest-dev)

current_step=""
step() {
    current_step="$1"
    echo "==> $1"
}
on_error() {
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
    # A mirror in the middle of a sync serves indexes that do not match its
    # files for a while: apt is tried three times, a minute apart.
    local attempt
    for attempt in 1 2 3; do
        if as_root apt-get update -qq &&
           as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
               >/dev/null; then
            return 0
        fi
        [ "$attempt" -eq 3 ] || { echo "    apt failed; trying again in a minute (the mirror may be mid-sync)" >&2; sleep 60; }
    done
    echo "apt could not install ${missing[*]} in three tries a minute apart (above: why; \"Mirror sync in" \
         "progress?\" means the mirror is mid-sync, try again later)" >&2
    return 1
}

# installable PACKAGE: it is installed, or apt has a version of it to install
# (the package lists are read afresh first).
installable() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' && return 0
    as_root apt-get update -qq || return 1
    local policy
    policy=$(apt-cache policy "$1" 2>/dev/null)
    [[ "$policy" =~ Candidate:\ [^\(] ]]
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
# The release this machine runs, by number. Testing names no VERSION_ID,
# only its code name.
debian_release() {
    local release codename
    release=$(sed -n 's/^VERSION_ID="\{0,1\}\([0-9]*\)"\{0,1\}$/\1/p' /etc/os-release 2>/dev/null)
    codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release 2>/dev/null)
    if [ -z "$release" ] && [ "$codename" = "$(debian_codename testing)" ]; then
        release=$TESTING_RELEASE
    fi
    debian_codename "$release" >/dev/null || return 1
    echo "$release"
}

# The machine's own Debian mirror, from either style of apt sources; with
# "security", its mirror of Debian's security updates.
debian_mirror() {
    local uris filter=(-v security) fallback=http://deb.debian.org/debian
    if [ "${1:-}" = security ]; then
        filter=(security)
        fallback=http://deb.debian.org/debian-security
    fi
    uris=$( { cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs: *\([^ ]*\).*/\1/p'
              sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) .*/\2/p' /etc/apt/sources.list 2>/dev/null; } |
            grep "${filter[@]}" | head -n 1 || true)
    echo "${uris:-$fallback}"
}

# The windows presets fetch freeglut's source from the Debian archive
# (cmake/windows_freeglut.cmake): from this machine's mirror.
MORVANE_DEBIAN_MIRROR=${MORVANE_DEBIAN_MIRROR:-$(debian_mirror)}
export MORVANE_DEBIAN_MIRROR

# make_minimal_debian RELEASE ROOT [ARCH]: a fresh minimal Debian of that
# release (debootstrap's minbase: no compiler, no X, no Mesa) in the empty
# folder ROOT, ready to chroot into with /proc, /sys and /dev mounted;
# undone by remove_minimal_debian. ARCH is a Debian architecture, this
# machine's by default; another one's programs run under emulation. debootstrap
# runs once per release and architecture: its result is kept as
# build/minimal-debian/CODENAME-ARCH.tar.
make_minimal_debian() {
    local release arch="${3:-$(dpkg --print-architecture)}" root="$2" codename script=()
    release=$(debian_number "$1")
    codename=$(debian_codename "$release")
    # debootstrap knows testing by no code name of its own (Debian 12's has
    # no script for forky): unstable's script makes it.
    [ "$release" != "$TESTING_RELEASE" ] || script=(/usr/share/debootstrap/scripts/sid)
    [ "$arch" = "$(dpkg --print-architecture)" ] || enable_emulation "$arch"
    local name="$MORVANE_ROOT/build/minimal-debian/$codename-$arch"
    local tarball="$name.tar"
    if [ ! -f "$tarball" ]; then
        ensure_packages debootstrap
        mkdir -p "$(dirname "$tarball")"
        rm -rf --one-file-system "$name"
        echo "    debootstrap --variant=minbase --arch=$arch $codename (Debian $release), once"
        debootstrap --variant=minbase --arch="$arch" "$codename" "$name" "$(debian_mirror)" "${script[@]}" \
            > "$name.log" 2>&1 ||
            { tail -n 20 "$name.log" >&2; fail "debootstrap could not make Debian $release for $arch (log above)"; }
        tar -C "$name" -cf "$tarball.partial" . && mv "$tarball.partial" "$tarball"
        rm -rf --one-file-system "$name"
    fi
    mkdir -p "$root"
    tar -C "$root" -xf "$tarball"
    # As an installed system has them: the release's updates and security
    # updates besides the release itself. Testing takes its updates in the
    # release itself; a mirror's testing index can be older than its
    # Valid-Until date (a snapshot's always is), which apt is told to allow.
    if [ "$release" = "$TESTING_RELEASE" ]; then
        echo "deb $(debian_mirror) $codename main" > "$root/etc/apt/sources.list"
        echo 'Acquire::Check-Valid-Until "false";' > "$root/etc/apt/apt.conf.d/99morvane-testing"
    else
        cat > "$root/etc/apt/sources.list" <<EOF
deb $(debian_mirror) $codename main
deb $(debian_mirror) $codename-updates main
deb $(debian_mirror security) $codename-security main
EOF
    fi
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    # Shared memory of its own (browsers need it), not the machine's.
    mount -t tmpfs tmpfs "$root/dev/shm"
    # It reaches the network as this machine does: through its name servers,
    # trusting the certificates it trusts (a proxy's too, where it has one),
    # with its npm settings.
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    local file
    for file in /etc/ssl/certs/ca-certificates.crt /usr/local/share/ca-certificates /etc/npmrc; do
        if [ -e "$file" ]; then
            mkdir -p "$root$(dirname "$file")"
            cp -a "$file" "$root$(dirname "$file")/"
        fi
    done
}

# enable_emulation ARCH: programs of that Debian architecture run on this
# machine under qemu's user-mode emulation, in chroots too: the kernel
# (binfmt_misc) hands them to qemu, whose program it opens once, when the
# format is registered (the F in the flags of Debian's formats).
enable_emulation() {
    local cpu
    ensure_packages qemu-user-static dpkg-dev
    cpu=$(dpkg-architecture -a"$1" -qDEB_HOST_GNU_CPU 2>/dev/null)
    mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if [ ! -e "/proc/sys/fs/binfmt_misc/qemu-$cpu" ]; then
        [ -f "/usr/lib/binfmt.d/qemu-$cpu.conf" ] || fail "qemu-user-static has no binfmt format for $1 ($cpu)"
        cat "/usr/lib/binfmt.d/qemu-$cpu.conf" > /proc/sys/fs/binfmt_misc/register
    fi
}

# ensure_architecture ARCH: apt installs packages of that architecture too
# (ensure_packages then reads their lists).
ensure_architecture() {
    if [ "$1" != "$(dpkg --print-architecture)" ] && ! dpkg --print-foreign-architectures | grep -qx "$1"; then
        as_root dpkg --add-architecture "$1"
    fi
}

# remove_minimal_debian ROOT: unmounts everything under ROOT, innermost
# first, then deletes it, never crossing into a file system still mounted
# there (the machine's /dev above all).
remove_minimal_debian() {
    local root="$1" mountpoint
    [ -d "$root" ] || return 0
    root=$(realpath "$root")
    while read -r mountpoint; do
        umount "$mountpoint" 2>/dev/null || umount -l "$mountpoint"
    done < <(awk -v root="$root" '$2 == root || index($2, root "/") == 1 { print $2 }' /proc/mounts | sort -r)
    rm -rf --one-file-system "$root"
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
    local preset="$1"; shift
    (cd "$MORVANE_ROOT" && cmake --preset "$preset" >/dev/null)
    local command=(cmake --build --preset "$preset")
    if [ "$#" -gt 0 ]; then
        command+=(--target "$@")
    fi
    (cd "$MORVANE_ROOT" && "${command[@]}")
}

# build_checks [TARGET...]: what the checks of another build run on (the
# program tests and the X session helper, dev preset), and the given targets.
# shellcheck disable=SC2120 # the extra targets are optional
build_checks() {
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
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        ensure_packages nodejs npm
    fi
    if [ ! -d "$driver/node_modules/puppeteer-core" ] ||
       [ "$driver/package-lock.json" -nt "$driver/node_modules/.package-lock.json" ]; then
        (cd "$driver" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

# drive_page ARGS...: the page's driver on the built page.
drive_page() {
    node "$MORVANE_ROOT/tools/page_driver/drive_page.cjs" --page "$(preset_dir web)/morvane.html" "$@"
}

# What checking the Debian package needs: Debian's own checkers, and
# debootstrap for the fresh system it is installed into.
# shellcheck disable=SC2034 # used by the scripts that source this file
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils appstream devscripts debootstrap)

# check_package_on_releases DEB: installs this machine's package into a fresh
# minimal Debian of each release it is for, runs it there and removes it
# (tests/package/check_installed_package). A package is for the release it
# is built on and the stable ones after it (one built on testing, for
# testing alone).
check_package_on_releases() {
    local deb="$1" here release
    here=$(debian_release) || fail "this machine runs no Debian release the package is checked on"
    for release in $(printf '%s\n' "$here" "${DEBIAN_RELEASES[@]}" | sort -nu); do
        [ "$release" -ge "$here" ] || continue
        step "installing $(basename "$deb") into a fresh minimal Debian $release and checking it there"
        "$MORVANE_ROOT/tests/package/check_installed_package" "$deb" "$release"
    done
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
    for arch in "${CROSS_ARCHITECTURES[@]}"; do
        ensure_architecture "$arch"
    done
    ensure_packages "${CROSS_PACKAGES[@]}"
}

# What cross-building the Windows programs needs.
# shellcheck disable=SC2034 # used by the scripts that source this file
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 dpkg-dev file icoutils ca-certificates)
