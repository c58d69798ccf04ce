#!/usr/bin/env bash
# Kills the Windows program's clean of a few hundred files at random moments. After every kill
# each file must be whole in the content folder or in the backup folder (or both), and whatever
# bears a file's name in the backup folder must be that file, whole. The mover runs in a copy of
# the prefix WINEPREFIX names, or in a new one. PAKSCOUR_KILL_CYCLES sets the number of kills
# (50 by default), PAKSCOUR_KILL_FILES the number of files (300); cleans that finish before their
# kill come on top. Prints one count line.
# With PAKSCOUR_KILL_MODE=restore it kills restores of the backup folder instead: the files start
# in the backup folder, and whatever bears a file's name in the content folder must be it, whole.
# PAKSCOUR_MOVER_PATH=copy in the environment makes every file take the copy path.
# With PAKSCOUR_KILL_MODE=disk it kills nothing: on a small drive (a tmpfs mounted as T:, which
# needs root) it cleans more than the drive's free space, which must succeed by renames and, on
# the copy path, stop with error 61 "Disk full" with every file whole in the content folder.
# With PAKSCOUR_KILL_MODE=flush it kills nothing either: it cleans a few files on each path
# under strace, where Wine flushes a folder by fsync, and checks that the backup folder is
# flushed after the last file went into it, and the content folder after that, last.
#   kill_test.sh WINE MOVER_EXE
set -euo pipefail
wine=$1
mover=$2
kills=${PAKSCOUR_KILL_CYCLES:-50}
file_count=${PAKSCOUR_KILL_FILES:-300}
stamp=061226140509  # the mover's fixed clock
temp_prefix=.pakscour-
mode=${PAKSCOUR_KILL_MODE:-clean}
export WINEDEBUG=-all

work=$(mktemp -d /tmp/pakscour-kill.XXXXXX)
server_prefix=""
small=""
cleanup() {
    if [ -n "$server_prefix" ]; then WINEPREFIX=$server_prefix wineserver -k 2>/dev/null || true; fi
    if [ -n "$small" ]; then umount "$small" 2>/dev/null || umount -l "$small" || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ]; then
    cp -a "$WINEPREFIX" "$work/prefix"
fi
export WINEPREFIX=$work/prefix
server_prefix=$WINEPREFIX
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
# One server for all cycles, so that each start of the mover is quick; its output must not
# hold the caller's pipes open.
wineserver -p </dev/null >/dev/null 2>&1

# Three files of 12 MiB on a drive of 40 MiB, with 1.5 MiB taken besides: the free space left is
# no whole number of the copy's 1 MiB writes, so the write that fills the drive writes part of
# its bytes first.
if [ "$mode" = disk ]; then
    small=$work/small
    mkdir "$small"
    mount -t tmpfs -o size=40m tmpfs "$small" ||
        { small=""; echo "kill_test: mounting a tmpfs needs root" >&2; exit 1; }
    ln -sfn "$small" "$WINEPREFIX/dosdevices/t:"
    main=$small/disktest/Main
    mkdir -p "$main"
    for i in 1 2 3; do head -c 12M /dev/urandom >"$main/mod_$i.pk3"; done
    head -c 1500K /dev/zero >"$small/taken"
    free_kib=$(df -k --output=avail "$small" | tail -1 | tr -d ' ')
    (cd "$main" && sha1sum -- *.pk3) >"$work/disk.sums"
    status=0
    PAKSCOUR_MOVER_PATH=copy "$wine" "$mover" 'T:\disktest' >/dev/null 2>"$work/copy.err" ||
        status=$?
    copied=$(sed -n 's/.*Error number: *\([0-9]*\).*/\1/p' "$work/copy.err")
    left=$(find "$main/061226140509" -mindepth 1 | wc -l)
    if [ "$status" != 1 ] || [ "$copied" != 61 ] || [ "$left" != 0 ] ||
        ! (cd "$main" && sha1sum --quiet -c "$work/disk.sums"); then
        echo "kill_test: FAILED: the copy of 36 MiB to a drive with $free_kib KiB free should stop" \
            "with 61, every file whole where it was and nothing left in the backup folder;" \
            "exit $status, $left left, $(cat "$work/copy.err")" >&2
        exit 1
    fi
    rmdir "$main/061226140509"
    PAKSCOUR_MOVER_PATH=rename "$wine" "$mover" 'T:\disktest' >/dev/null 2>"$work/rename.err" ||
        { echo "kill_test: FAILED: the clean by rename: $(cat "$work/rename.err")" >&2; exit 1; }
    if [ -n "$(find "$main" -maxdepth 1 -type f)" ] ||
        ! (cd "$main/061226140509" && sha1sum --quiet -c "$work/disk.sums"); then
        echo "kill_test: FAILED: the clean by rename did not move every file whole" >&2
        exit 1
    fi
    echo "disk: 36 MiB cleaned on a drive with $free_kib KiB free: by rename, all moved; on the" \
        "copy path, error $copied, nothing lost"
    exit 0
fi

if [ "$mode" = flush ]; then
    command -v strace >/dev/null || { echo "kill_test: strace is missing" >&2; exit 1; }
    main=$WINEPREFIX/drive_c/flushtest/Main
    for path in rename copy; do
        rm -rf "${main%/Main}"
        mkdir -p "$main"
        for i in 1 2 3; do echo "$i" >"$main/mod_$i.pk3"; done
        # The mover's own process only (its Windows threads are its threads): Wine's services
        # started beside it would keep a strace -f waiting.
        PAKSCOUR_MOVER_PATH=$path strace -qq -e trace=fsync -y -o "$work/$path.trace" \
            "$wine" "$mover" 'C:\flushtest' >/dev/null 2>"$work/$path.err" ||
            { echo "kill_test: FAILED: the clean ($path): $(cat "$work/$path.err")" >&2; exit 1; }
        # The folders flushed, in order, named relative to the content folder.
        order=$(sed -n "s|^fsync([0-9]*<$main\(/[^>]*\)\{0,1\}>) = 0\$|Main\1|p" \
            "$work/$path.trace" | tr '\n' ' ')
        # Main first (the backup folder's entry), then the backup folder, then Main, last.
        if [ -n "$(find "$main" -maxdepth 1 -type f)" ] ||
            ! [[ "$order" =~ Main/$stamp\ Main\ $ ]]; then
            echo "kill_test: FAILED: on the $path path the folders were flushed in the order" \
                "'$order'; the backup folder must come after the last move, then Main, last" >&2
            exit 1
        fi
        echo "flush ($path path): folders flushed in this order: $order"
    done
    exit 0
fi

# The files, with random sizes up to 48 KiB, each a slice of one random text at a random place;
# the first one is empty.
pool=$work/pool
mkdir "$pool"
head -c 49152 /dev/urandom | base64 -w 0 >"$work/block"
awk -v n="$file_count" -v dir="$pool" -v seed="$RANDOM" '
    { block = $0 }
    END {
        srand(seed)
        for (i = 0; i < n; i++) {
            size = i == 0 ? 0 : int(rand() * (48 * 1024 + 1))
            file = dir "/mod_" i ".pk3"
            printf "%s", substr(block, 1 + int(rand() * (length(block) - size)), size) >file
            close(file)
        }
    }' "$work/block"
# "SHA1 NAME" of each file in a folder (none when the folder is missing), sorted by name.
sums() {
    if [ -d "$1" ]; then find "$1" -maxdepth 1 -type f -exec sha1sum {} +; fi | sed 's|  .*/| |' | sort -k2
}
sums "$pool" >"$work/pool.sums"

install=$WINEPREFIX/drive_c/killtest
content=$install/Main
backup=$content/$stamp
# The mover says it has started by writing one byte to its standard output, a plain file that
# is polled: Wine's services, started beside the first mover, inherit its output and may hold
# it for ever, and a pipe's reader could meet an end or an old writer instead of the byte.
now_us() { echo $(($(date +%s%N) / 1000)); }

# One clean of a fresh folder, killed after a random delay of up to $1 microseconds, or left to
# finish when $1 is 0. Sets: finished (1 or 0), took_us (the clean's own time, as the mover
# measured it, when it finished), named (files whole in the backup folder), moved (of those,
# the ones gone from the content folder), lost, partial.
cycle() {
    local max_us=$1 pid status=0 started=""
    rm -rf "$install"
    mkdir -p "$content"
    if [ "$mode" = restore ]; then
        mkdir -p "$backup"
        cp -p "$pool"/* "$backup/"
    else
        cp -p "$pool"/* "$content/"
    fi
    local out=$work/started waits=0
    rm -f "$out"
    PAKSCOUR_MOVER_MODE=$mode "$wine" "$mover" 'C:\killtest' >"$out" 2>"$work/mover.err" &
    pid=$!
    # Up to 120 s, while the mover runs.
    while [ ! -s "$out" ] && [ $waits -lt 60000 ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.002
        waits=$((waits + 1))
    done
    [ -s "$out" ] && started=$(head -c 1 "$out")
    if [ "$started" != s ]; then
        { wait "$pid"; } 2>/dev/null || status=$?
        echo "kill_test: the mover did not start (status $status): $(cat "$work/mover.err")" >&2
        exit 1
    fi
    local start_us
    start_us=$(now_us)
    if [ "$max_us" -gt 0 ]; then
        local delay_us=$(((RANDOM * 32768 + RANDOM) % (max_us + 1)))
        sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
        kill -KILL "$pid" 2>/dev/null || true
    fi
    { wait "$pid"; } 2>/dev/null || status=$?
    took_us=$(($(now_us) - start_us))
    if [ "$status" = 0 ]; then
        finished=1
        # The clean alone, without the start and end of a Wine process around it.
        took_us=$(sed -n 's/^clean took \([0-9]*\)\.\([0-9]*\) s\r*$/\1\2000/p' "$work/mover.err" |
            sed 's/^0*//')
        took_us=${took_us:-0}
    elif [ "$status" = 137 ]; then
        finished=0
    else
        echo "kill_test: the mover failed ($status): $(cat "$work/mover.err")" >&2
        exit 1
    fi
    # A restore moves the other way: its source is the backup folder.
    if [ "$mode" = restore ]; then
        sums "$backup" >"$work/content.sums"
        sums "$content" >"$work/backup.sums"
    else
        sums "$content" >"$work/content.sums"
        sums "$backup" >"$work/backup.sums"
    fi
    read -r named moved lost partial < <(awk -v temp="$temp_prefix" '
        FILENAME ~ /pool.sums$/ { want[$2] = $1; next }
        FILENAME ~ /content.sums$/ { in_content[$2] = $1; next }
        index($2, temp) == 1 { next }
        {
            in_backup[$2] = $1
            if (want[$2] != $1) { partial++; print "partial: " $2 > "/dev/stderr" }
        }
        END {
            for (name in want) {
                c = in_content[name] == want[name]; b = in_backup[name] == want[name]
                if (!c && !b) { lost++; print "lost: " name > "/dev/stderr" }
                if (b) named++
                if (b && !c) moved++
            }
            print named + 0, moved + 0, lost + 0, partial + 0
        }' "$work/pool.sums" "$work/content.sums" "$work/backup.sums")
}

begin=$(date +%s)
# A clean left to finish tells how long the clean itself takes (the second one, once the caches
# are warm; the mover measures it, without the start and end of its process); each kill then
# comes at a random moment within that time, so that most land in the middle of the move, and a
# clean that still finished first sets the time anew from its own.
for _ in 1 2; do
    cycle 0
    if [ "$lost" != 0 ] || [ "$partial" != 0 ] || [ "$moved" != "$file_count" ]; then
        echo "kill_test: FAILED: the clean left to finish moved $moved of $file_count files" >&2
        exit 1
    fi
done
first_took_us=$took_us
max_us=$((took_us > 1000 ? took_us : 1000))
killed=0 finished_first=0 lost_total=0 partial_total=0
# The killed cycles by the moment of the kill: before the first file was in the backup folder,
# in the middle of the move (some there, not all gone from the content folder), after the last.
before=0 middle=0 after=0
cycles=0
while [ "$killed" -lt "$kills" ] && [ "$cycles" -lt $((2 * kills + 10)) ]; do
    cycles=$((cycles + 1))
    cycle "$max_us"
    lost_total=$((lost_total + lost))
    partial_total=$((partial_total + partial))
    if [ "$finished" = 1 ]; then
        finished_first=$((finished_first + 1))
        if [ "$moved" != "$file_count" ]; then
            echo "kill_test: a clean that finished moved only $moved files" >&2
            lost_total=$((lost_total + 1))
        fi
        max_us=$((took_us > 1000 ? took_us : 1000))
    else
        killed=$((killed + 1))
        if [ "$named" = 0 ]; then
            before=$((before + 1))
        elif [ "$moved" -lt "$file_count" ]; then
            middle=$((middle + 1))
        else
            after=$((after + 1))
        fi
    fi
done
echo "$mode kill cycles (${PAKSCOUR_MOVER_PATH:-rename} path): $cycles, killed: $killed" \
    "($before before the first file, $middle in the middle of the move, $after after the last)," \
    "finished first: $finished_first," \
    "files lost: $lost_total, partial files under a backup name: $partial_total," \
    "one clean: $((first_took_us / 1000)) ms, $(($(date +%s) - begin)) s in all"
if [ "$lost_total" != 0 ] || [ "$partial_total" != 0 ] || [ "$killed" -lt "$kills" ]; then
    echo "kill_test: FAILED" >&2
    exit 1
fi
