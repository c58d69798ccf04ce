# Lets 32-bit Wine run on a host whose kernel cannot run 32-bit x86 programs (booted without
# 32-bit emulation: "Exec format error"), for scripts/test-windows. Sourced, not run.
#
# wine32_ensure SCRIPT ARGS... returns once a 32-bit program runs, in this order of preference:
#   1. it already runs (natively, or through a handler the machine has): nothing is changed;
#   2. the kernel gives each user namespace a binfmt_misc of its own (Linux 6.7 and later): SCRIPT
#      is started again with ARGS in a private user and mount namespace, where the i386 ELF
#      header is handed to qemu-i386. The registration dies with the run; the machine is untouched;
#   3. as root: the handler "pakscour-i386" is registered on the machine's binfmt_misc (mounted
#      if it is not), its interpreter installed at a fixed path outside the clone. The last run
#      that uses it removes it again, and unmounts binfmt_misc if a run of ours mounted it and
#      nothing else is registered (wine32_release, from the caller's exit trap); runs at the same
#      time share it through a lock.
# Otherwise it fails and says what is missing. wine32_describe prints which way was taken.
#
# The interpreter sets QEMU_RESERVED_VA=0xc0000000: without that 3 GiB guest address space,
# 32-bit Wine stops at "failed to map the shared user data".

wine32_handler=pakscour-i386
wine32_interpreter=/usr/local/libexec/pakscour/qemu-i386-wine
wine32_lock_file=/run/lock/pakscour-wine32.lock
[ -d /run/lock ] || wine32_lock_file=/tmp/pakscour-wine32.lock
# Present while binfmt_misc is mounted because a run of ours mounted it.
wine32_mount_mark=$wine32_lock_file.mounted
wine32_binfmt=/proc/sys/fs/binfmt_misc
# The i386 ELF executable header (class 32-bit, little endian, type EXEC or DYN, machine 3).
wine32_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
wine32_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
wine32_way=""
wine32_lock_fd=""

wine32_interpreter_text() {
    cat <<'EOF'
#!/bin/sh
# binfmt_misc interpreter of 32-bit x86 programs, installed by Pakscour's scripts/test-windows:
# runs them under qemu with the 3 GiB address space that 32-bit Wine needs.
QEMU_RESERVED_VA=0xc0000000 exec /usr/bin/qemu-i386 "$@"
EOF
}

# The smallest 32-bit x86 program: exit(0). Built once per run into $1 (binutils is there with
# g++).
wine32_build_probe() {
    local dir=$1
    [ -x "$dir/probe32" ] && return 0
    cat >"$dir/probe32.s" <<'EOF'
        .globl _start
_start: movl $1, %eax
        xorl %ebx, %ebx
        int $0x80
EOF
    as --32 -o "$dir/probe32.o" "$dir/probe32.s" && ld -m elf_i386 -o "$dir/probe32" "$dir/probe32.o"
}

# True when a 32-bit x86 program runs here now. It cannot hang: it is killed after 60 s.
wine32_runs() {
    local dir
    dir=$(mktemp -d /tmp/pakscour-probe32.XXXXXX)
    local ok=1
    if wine32_build_probe "$dir" && timeout 60 "$dir/probe32" 2>/dev/null; then ok=0; fi
    rm -rf "$dir"
    return $ok
}

# The registration line for binfmt_misc: the handler's name, the i386 ELF header and the
# interpreter. The \x escapes are written as text; the kernel decodes them.
wine32_registration() {
    printf ':%s:M::%s:%s:%s:' "$1" "$wine32_magic" "$wine32_mask" "$2"
}

wine32_describe() {
    case $wine32_way in
        native) echo "32-bit programs run natively on this host" ;;
        existing) echo "32-bit programs run through the host's own binfmt handler" ;;
        private) echo "32-bit programs run under qemu-i386, registered in a private namespace" \
            "of this run only" ;;
        global) echo "32-bit programs run under qemu-i386 through the binfmt handler" \
            "$wine32_handler ($wine32_interpreter), removed when the last run ends" ;;
        *) echo "32-bit programs: not prepared" ;;
    esac
}

# Takes the shared lock that keeps the global handler registered while this run uses it.
wine32_hold() {
    exec {wine32_lock_fd}>>"$wine32_lock_file"
    flock -s "$wine32_lock_fd"
}

# Called from the caller's exit trap: the last run out removes the global handler. A handler
# left by a run that was killed is removed by the next run that ends.
wine32_release() {
    [ -n "$wine32_lock_fd" ] || return 0
    if flock -x -n "$wine32_lock_fd"; then
        if [ -e "$wine32_binfmt/$wine32_handler" ]; then
            echo -1 >"$wine32_binfmt/$wine32_handler" 2>/dev/null || true
        fi
        local others
        others=$(find "$wine32_binfmt" -mindepth 1 -maxdepth 1 ! -name register ! -name status)
        if [ -e "$wine32_mount_mark" ] && [ -z "$others" ]; then
            umount "$wine32_binfmt" 2>/dev/null && rm -f "$wine32_mount_mark"
        fi
    fi
    exec {wine32_lock_fd}>&-
    wine32_lock_fd=""
}

# Inside the private namespace made by wine32_ensure: its own binfmt_misc with the handler.
wine32_private_setup() {
    mount -t binfmt_misc binfmt_misc "$wine32_binfmt" &&
        wine32_registration "$wine32_handler" "$1" >"$wine32_binfmt/register"
}

wine32_ensure() {
    if [ "${PAKSCOUR_WINE32_WAY:-}" = private ]; then
        wine32_way=private
        wine32_runs && return 0
        echo "32-bit programs do not run in the private namespace" >&2
        return 1
    fi
    # A global handler of an earlier or concurrent run: hold it before looking, so that the run
    # that registered it cannot remove it under this one.
    if [ -e "$wine32_binfmt/$wine32_handler" ] && [ "$(id -u)" -eq 0 ]; then
        wine32_hold
        if [ -e "$wine32_binfmt/$wine32_handler" ] && wine32_runs; then
            wine32_way=global
            return 0
        fi
        wine32_release
    fi
    if wine32_runs; then
        wine32_way=native
        if grep -qsl '^magic 7f454c4601010100000000000000000002000300$' "$wine32_binfmt"/* 2>/dev/null; then
            wine32_way=existing
        fi
        return 0
    fi
    if [ ! -x /usr/bin/qemu-i386 ]; then
        echo "32-bit programs cannot run here and qemu-i386 is missing (Debian package qemu-user)" >&2
        return 1
    fi

    # A binfmt_misc of a private namespace, where the kernel offers one.
    local interp_dir
    interp_dir=$(mktemp -d /tmp/pakscour-qemu32.XXXXXX)
    wine32_interpreter_text >"$interp_dir/qemu-i386-wine"
    chmod 755 "$interp_dir" "$interp_dir/qemu-i386-wine"
    local lib
    lib=$(realpath "${BASH_SOURCE[0]}")
    if unshare --user --map-root-user --mount bash -c \
        'source "$1" && wine32_private_setup "$2" && wine32_runs' _ "$lib" \
        "$interp_dir/qemu-i386-wine" 2>/dev/null; then
        local script=$1
        shift
        # The interpreter's folder goes when the run ends (the caller's trap removes it).
        export PAKSCOUR_WINE32_WAY=private PAKSCOUR_WINE32_INTERP_DIR=$interp_dir
        exec unshare --user --map-root-user --mount bash -c \
            'source "$1" && wine32_private_setup "$2" && shift 2 && exec "$@"' _ "$lib" \
            "$interp_dir/qemu-i386-wine" "$script" "$@"
    fi
    rm -rf "$interp_dir"
    wine32_global
}

# The machine's own binfmt_misc, as root.
wine32_global() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "32-bit programs cannot run here, this kernel has no private binfmt_misc, and" \
            "registering a qemu handler for the machine needs root: run scripts/test-windows" \
            "as root" >&2
        return 1
    fi
    wine32_hold
    if [ ! -e "$wine32_binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$wine32_binfmt" || { wine32_release; return 1; }
        : >"$wine32_mount_mark"
    fi
    # A fixed path outside the clone, so that a registration left by a killed run still works.
    if ! cmp -s <(wine32_interpreter_text) "$wine32_interpreter" 2>/dev/null; then
        mkdir -p "$(dirname "$wine32_interpreter")"
        wine32_interpreter_text >"$wine32_interpreter.new"
        chmod 755 "$wine32_interpreter.new"
        mv -f "$wine32_interpreter.new" "$wine32_interpreter"
    fi
    if [ ! -e "$wine32_binfmt/$wine32_handler" ]; then
        # A concurrent run may register it at the same moment; either registration serves.
        wine32_registration "$wine32_handler" "$wine32_interpreter" \
            >"$wine32_binfmt/register" 2>/dev/null || true
    fi
    wine32_way=global
    wine32_runs && return 0
    echo "32-bit programs still do not run after registering $wine32_handler" >&2
    wine32_release
    return 1
}
