# Installs the Debian packages named in the arguments when any is missing: with apt-get when
# run as root, otherwise prints the exact command to run and fails.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local need_i386=0
    for p in "${missing[@]}"; do [[ $p == *:i386 ]] && need_i386=1; done
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        [ $need_i386 -eq 1 ] && echo "  sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    if [ $need_i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# The packages every build and test of the project needs.
# libyaml-cpp-dev reads the launchers' YAML files; python3-yaml writes them in the tests as the
# launchers do. rsvg-convert (librsvg2-bin) renders the icon's drawing, icotool (icoutils) makes
# the .ico. strace shows the Windows tests the order in which Wine flushes folders.
linux_packages=(cmake ninja-build g++ clang-format doctest-dev qt6-base-dev libgl-dev
    libyaml-cpp-dev python3-yaml librsvg2-bin xvfb xauth libfuse3-dev fuse3 pkg-config)
windows_packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 wine32:i386
    qemu-user python3 xdotool librsvg2-bin icoutils strace)
# What taking the screenshots needs (scripts/screenshots, scripts/screenshots-win32):
# ImageMagick, xdotool and xprop (x11-utils) to find the windows and save them; Openbox, a
# window manager that draws each Linux window's title bar and frame on the virtual screen; Wine's
# own fonts, whose Marlett draws the caption buttons of the title bars Wine draws itself.
screenshot_packages=(imagemagick xdotool x11-utils openbox fonts-wine)
# What building the packages (scripts/package) and checking them (scripts/test-packages) needs.
# The Linux archive carries Qt's wayland plugins (qt6-wayland) and SVG support (libqt6svg6) from
# Debian, with the program's RPATH set by patchelf; its checks make small Debian systems with
# mmdebstrap and start the program on Xvfb and under Weston's headless back end, with
# screenshots by ImageMagick's import.
packaging_packages=(dpkg-dev zip unzip file lintian appstream xdotool icoutils git
    patchelf qt6-wayland libqt6svg6 binutils xz-utils mmdebstrap xvfb weston imagemagick)

# The build folder whose Linux program the .deb carries (scripts/package): build/default, unless
# that folder compiles through a launcher such as ccache. Then it is build/package, built without
# one: a ccache shared between checkouts can hand back objects whose debug information names
# another checkout's folders, and the program's build id is computed over that information.
deb_build_preset() {
    if grep -qE '^CMAKE_(C|CXX)_COMPILER_LAUNCHER:[A-Z]*=.' build/default/CMakeCache.txt 2>/dev/null; then
        echo package
    else
        echo default
    fi
}

# debian_system SUITE PACKAGE...: prints the folder of a minimal Debian SUITE system
# (mmdebstrap --variant=minbase) holding PACKAGE... and what they depend on. It is made once,
# under build/systems, in a folder named after a checksum of the suite and the packages, so a
# changed list makes a new system and a fresh clone makes its own.
debian_system() {
    local suite=$1
    shift
    local key root
    key=$(printf '%s\n' "$suite" "$@" | sha256sum | cut -c1-16)
    root=$(pwd -P)/build/systems/$suite-$key
    if [ ! -d "$root" ]; then
        echo "   making a $suite system with: $*" >&2
        rm -rf "$root.new"
        mkdir -p "$(dirname "$root")"
        mmdebstrap --quiet --variant=minbase --include="$(IFS=,; echo "$*")" "$suite" "$root.new" \
            http://deb.debian.org/debian >&2
        mv "$root.new" "$root"
    fi
    echo "$root"
}

# in_system ROOT COMMAND...: runs COMMAND in the system at ROOT, with /proc mounted and this
# machine's /tmp (where the tests keep their files, and the X server its socket) at /tmp. The
# mounts live in a namespace of their own, and end with the command; so does the command when
# the caller kills in_system.
in_system() {
    unshare --mount --fork --kill-child bash -c 'set -e
        mount -t proc proc "$1/proc"
        mount --bind /tmp "$1/tmp"
        root=$1
        shift
        exec chroot "$root" "$@"' in_system "$@"
}
