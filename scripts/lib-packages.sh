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
# libyaml-cpp-dev and nlohmann-json3-dev read the launchers' YAML and JSON files; python3-yaml
# writes the YAML in the tests as the launchers do. rsvg-convert (librsvg2-bin) renders the
# icon's drawing, icotool (icoutils) makes the .ico. The Qt tests measure every window's texts
# with Noto Sans, DejaVu Sans, Cantarell and Liberation Sans (the fonts-* packages), and try a
# short screen under Wayland too (Weston's headless screen, Qt's wayland plugin).
# strace shows the Windows tests the order in which Wine flushes folders.
linux_packages=(cmake ninja-build g++ clang-format doctest-dev qt6-base-dev libgl-dev
    libyaml-cpp-dev nlohmann-json3-dev python3-yaml librsvg2-bin xvfb xauth libfuse3-dev fuse3
    pkg-config fonts-noto-core fonts-dejavu-core fonts-cantarell fonts-liberation2 weston
    qt6-wayland)
windows_packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 wine32:i386
    qemu-user python3 xdotool librsvg2-bin icoutils strace)
# What taking the screenshots needs (scripts/screenshots, scripts/screenshots-win32):
# ImageMagick, xdotool and xprop (x11-utils) to find the windows and save them; Openbox, a
# window manager that draws each Linux window's title bar and frame on the virtual screen; Wine's
# own fonts, whose Marlett draws the caption buttons of the title bars Wine draws itself; Noto
# Sans Mono for the typewriter lines of the Noto set.
screenshot_packages=(imagemagick xdotool x11-utils openbox fonts-wine fonts-noto-mono)
# What building the packages (scripts/package) and checking them (scripts/test-packages) needs.
# The Linux archive carries Qt's wayland plugins (qt6-wayland) and SVG support (libqt6svg6) from
# Debian, with the program's RPATH set by patchelf; its checks make small Debian systems with
# mmdebstrap and start the program on Xvfb and under Weston's headless back end, with
# screenshots by ImageMagick's import.
# The archive carries Liberation Sans from fonts-liberation2; desktop-file-validate
# (desktop-file-utils) checks the desktop entries, and tesseract reads the texts of the
# archive's windows from their screenshots.
packaging_packages=(dpkg-dev zip unzip file lintian appstream xdotool icoutils git
    patchelf qt6-wayland libqt6svg6 binutils xz-utils mmdebstrap xvfb weston imagemagick
    fonts-liberation2 desktop-file-utils tesseract-ocr tesseract-ocr-eng)

# The libraries the Linux archive leaves to the system it runs on, as every desktop has them,
# each line a Debian 12 package and the sonames it holds: the C library family, the C++ and GCC
# run time, the GL, EGL, GBM, DRM and Vulkan libraries of the graphics drivers, libX11 and libxcb
# with the extension libraries of the X server's protocol (one package on other distributions;
# the xcb-util libraries are not among them), libwayland-client, fontconfig, FreeType,
# HarfBuzz, zlib, expat, ICE, SM and D-Bus. Bundling the C library, the C++ run time or the
# drivers' libraries breaks a program on a system newer than the one it was built on.
# scripts/package-archive copies every other library the program loads into the archive;
# scripts/test-archive runs the archive in a Debian 12 system that has only these packages.
host_libraries=(
    "libc6 ld-linux-x86-64.so.2 libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1
        libresolv.so.2 libutil.so.1 libmvec.so.1 libanl.so.1"
    "libstdc++6 libstdc++.so.6"
    "libgcc-s1 libgcc_s.so.1"
    "libgl1 libGL.so.1"
    "libglx0 libGLX.so.0"
    "libglvnd0 libGLdispatch.so.0"
    "libopengl0 libOpenGL.so.0"
    "libegl1 libEGL.so.1"
    "libgles2 libGLESv2.so.2"
    "libgbm1 libgbm.so.1"
    "libdrm2 libdrm.so.2"
    "libwayland-egl1 libwayland-egl.so.1"
    "libvulkan1 libvulkan.so.1"
    "libx11-6 libX11.so.6"
    "libx11-xcb1 libX11-xcb.so.1"
    "libxau6 libXau.so.6"
    "libxdmcp6 libXdmcp.so.6"
    "libxcb1 libxcb.so.1"
    "libxcb-glx0 libxcb-glx.so.0"
    "libxcb-randr0 libxcb-randr.so.0"
    "libxcb-render0 libxcb-render.so.0"
    "libxcb-shape0 libxcb-shape.so.0"
    "libxcb-shm0 libxcb-shm.so.0"
    "libxcb-sync1 libxcb-sync.so.1"
    "libxcb-xfixes0 libxcb-xfixes.so.0"
    "libxcb-xkb1 libxcb-xkb.so.1"
    "libwayland-client0 libwayland-client.so.0"
    "libfontconfig1 libfontconfig.so.1"
    "libfreetype6 libfreetype.so.6"
    "libharfbuzz0b libharfbuzz.so.0"
    "zlib1g libz.so.1"
    "libexpat1 libexpat.so.1"
    "libice6 libICE.so.6"
    "libsm6 libSM.so.6"
    "libdbus-1-3 libdbus-1.so.3"
)

# host_library_packages: the packages of host_libraries, one a line.
host_library_packages() {
    local entry
    for entry in "${host_libraries[@]}"; do echo "${entry%% *}"; done
}

# host_library_sonames: the sonames of host_libraries, one a line.
host_library_sonames() {
    local entry
    for entry in "${host_libraries[@]}"; do
        # shellcheck disable=SC2086 # the line's words: a package, then its sonames
        set -- $entry
        shift
        printf '%s\n' "$@"
    done
}

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
# (mmdebstrap --variant=minbase) holding PACKAGE... and what they depend on. A PACKAGE written
# as NAME- is taken out again with dpkg, whatever depends on it: so a system can lack what apt
# would bring, such as the font fontconfig's package asks for. The system is made once, under
# build/systems, in a folder named after a checksum of the suite and the packages, so a changed
# list makes a new system and a fresh clone makes its own.
debian_system() {
    local suite=$1
    shift
    local key root p
    local include=() purge=()
    for p in "$@"; do
        if [[ $p == *- ]]; then purge+=("${p%-}"); else include+=("$p"); fi
    done
    key=$(printf '%s\n' "$suite" "$@" | sha256sum | cut -c1-16)
    root=$(pwd -P)/build/systems/$suite-$key
    if [ ! -d "$root" ]; then
        echo "   making a $suite system with: $*" >&2
        rm -rf "$root.new"
        mkdir -p "$(dirname "$root")"
        mmdebstrap --quiet --variant=minbase ${include[0]:+--include="$(IFS=,; echo "${include[*]}")"} \
            ${purge[0]:+--customize-hook="chroot \"\$1\" dpkg --purge --force-depends ${purge[*]}"} \
            "$suite" "$root.new" http://deb.debian.org/debian >&2
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
