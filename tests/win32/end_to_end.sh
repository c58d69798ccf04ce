#!/usr/bin/env bash
# The whole program in a Wine prefix of its own: the three games registered as their 32-bit
# installers register them, archives in their folders; pakscour.exe starts with the splash
# window, shows the games, lists the alien files, and a clean moves them into the stamped
# folder, which is checked on disk. Needs a display (DISPLAY) and, ideally, a fresh prefix
# in WINEPREFIX to copy.
#   end_to_end.sh WINE PAKSCOUR_EXE DRIVER_EXE
# WINE runs pakscour.exe and must hand its exit code back (a loader, or cmake/wine32-run.sh).
# The registry edits and the driver may run under another loader with another driver build:
# PAKSCOUR_E2E_TOOL_WINE and PAKSCOUR_E2E_DRIVER (a 64-bit driver under wine64 works the windows
# of a 32-bit pakscour.exe, and starts in a fraction of the time of a 32-bit program under
# emulation). pakscour.exe itself starts twice.
set -euo pipefail
wine=$1
exe=$2
driver=${PAKSCOUR_E2E_DRIVER:-$3}
# WINE may be a launcher that takes only programs (cmake/wine32-run.sh): Wine's own tools run
# under the plain loader.
tool_wine=${PAKSCOUR_E2E_TOOL_WINE:-$(command -v /usr/lib/wine/wine64 || echo wine)}
export WINEDEBUG=-all
# Generous waits: a 32-bit program under emulation takes a minute or more to start; a wait that
# succeeds ends at once.
start_ms=400000
step_ms=60000

# "32-bit" or "64-bit", from the machine field of the executable's PE header.
bits_of() {
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
    case $machine in
        014c) echo 32-bit ;;
        8664) echo 64-bit ;;
        *) echo "unknown machine $machine" ;;
    esac
}
build="$(bits_of "$exe") $(basename "$exe")"
echo "end_to_end: $build ($exe) under $wine; driver $(bits_of "$driver") under $tool_wine"

work=$(mktemp -d /tmp/pakscour-e2e.XXXXXX)
server_prefix=""
cleanup() {
    if [ -n "$server_prefix" ]; then WINEPREFIX=$server_prefix wineserver -k 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    echo "end_to_end: no display; run under xvfb-run" >&2
    exit 1
fi
if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ]; then
    cp -a "$WINEPREFIX" "$work/prefix"
fi
export WINEPREFIX=$work/prefix
server_prefix=$WINEPREFIX
[ -d "$WINEPREFIX/drive_c" ] || "$tool_wine" wineboot -i >/dev/null 2>&1

fail() {
    echo "end_to_end: FAILED: $*" >&2
    exit 1
}
drive() { "$tool_wine" "$driver" "$@" | tr -d '\r'; }
# Waits up to $2 seconds for the process $1 to end.
ended() {
    local _
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

# The games, registered where 32-bit installers write.
add() { "$tool_wine" reg add "HKLM\\Software\\Activision\\$1" /v "$2" /d "$3" /f /reg:32 >/dev/null; }
add "Call of Duty" InstallPath 'C:\Games\CoD'
add "Call of Duty" Version 1.5
add "Call of Duty United Offensive" InstallPath 'C:\Games\CoD'
add "Call of Duty United Offensive" Version 1.51
# Call of Duty 2 where its retail installer puts it: what the game downloads there lies in the
# user's VirtualStore copy of the folder.
add "Call of Duty 2" InstallPath 'C:\Program Files (x86)\Activision\Call of Duty 2\'
add "Call of Duty 2" Version 1.3

games=$WINEPREFIX/drive_c/Games
rm -rf "$games"
mkdir -p "$games/CoD/Main/dir.pk3" "$games/CoD/uo"
for f in pak0.pk3 pak1.pk3 .hidden.pk3; do echo "stock $f" >"$games/CoD/Main/$f"; done
for f in zz_alien.pk3 mod_fun.pk3; do echo "alien $f" >"$games/CoD/Main/$f"; done
echo stock >"$games/CoD/uo/pakuo00.pk3"
echo "alien uo" >"$games/CoD/uo/uo_alien.pk3"
cod2="$WINEPREFIX/drive_c/Program Files (x86)/Activision/Call of Duty 2/main"
profile=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
cod2_store="$profile/AppData/Local/VirtualStore/Program Files (x86)/Activision/Call of Duty 2/main"
mkdir -p "$cod2" "$cod2_store"
echo stock >"$cod2/iw_00.iwd"
head -c 70000 /dev/urandom >"$cod2_store/vs_alien.iwd"
cp "$cod2_store/vs_alien.iwd" "$work/vs_alien.iwd"
wineserver -w

"$wine" "$exe" &
program=$!

# The splash window (no caption) with the product and version, then the main window.
drive texts-when "" $start_ms | grep -qx "Pakscour v2.1" || fail "no splash window with its title"
drive wait "Pakscour v2.1" $step_ms || fail "no main window"
drive gone "" $step_ms || fail "the splash window stayed"

texts=$(drive texts "Pakscour v2.1")
[ "$(grep -cx Installed <<<"$texts")" = 3 ] || fail "not all three games found: $texts"
for v in 1.5 1.51 1.3; do grep -qx "$v" <<<"$texts" || fail "version $v missing"; done
[ "$(drive checked "Pakscour v2.1" "&CoD")" = 1 ] || fail "CoD not ticked"
items=$(drive items "Pakscour v2.1" | sort | tr '\n' ' ')
[ "$items" = "mod_fun.pk3 zz_alien.pk3 " ] || fail "CoD aliens listed as: $items"

# Clean: the files move into Main\<twelve digits>.
main_sums() { (cd "$games/CoD/Main" && find . -maxdepth 1 -type f -exec sha256sum {} + | sort); }
before_clean=$(main_sums)
drive click "Pakscour v2.1" "&Clean"
status=$(drive texts "Pakscour v2.1" | grep '^Alien files moved to: ' || true)
[[ $status =~ ^Alien\ files\ moved\ to:\ C:\\Games\\CoD\\Main\\([0-9]{12})$ ]] ||
    fail "status after clean: '$status'"
stamp=${BASH_REMATCH[1]}
backup=$games/CoD/Main/$stamp
for f in zz_alien.pk3 mod_fun.pk3; do
    [ "$(cat "$backup/$f")" = "alien $f" ] || fail "$f not in the backup folder"
    [ ! -e "$games/CoD/Main/$f" ] || fail "$f still in Main"
done
for f in pak0.pk3 pak1.pk3 .hidden.pk3; do
    [ -f "$games/CoD/Main/$f" ] || fail "$f was touched"
    [ ! -e "$backup/$f" ] || fail "$f was moved"
done
[ -d "$games/CoD/Main/dir.pk3" ] || fail "the folder dir.pk3 was touched"
[ -z "$(drive items "Pakscour v2.1")" ] || fail "list not empty after clean"
[ "$(drive enabled "Pakscour v2.1" "&Clean")" = 0 ] || fail "Clean still enabled"

# Restore a Backup by keyboard alone, as a player does it: Alt+F, R opens the window with the
# newest backup selected, and Enter (Restore is the default button) puts it back. The keys go
# through the X server, so they reach the program's own menu loop.
main_window=$(xdotool search --onlyvisible --name '^Pakscour v2\.1$' | head -n 1)
xdotool windowfocus --sync "$main_window" 2>/dev/null || true
xdotool key --delay 300 alt+f r
drive wait "Restore a Backup" $step_ms || fail "Alt+F, R opened no restore window"
[ "$(drive items "Restore a Backup" | wc -l)" = 1 ] || fail "not one backup listed"
xdotool key --delay 300 Return
drive gone "Restore a Backup" $step_ms || fail "the restore window stayed"
[ "$(main_sums)" = "$before_clean" ] || fail "the restore did not give Main back byte for byte"
[ ! -e "$backup" ] || fail "the emptied backup folder stayed"
status=$(drive texts "Pakscour v2.1" | grep ' moved back from: ' || true)
[ "$status" = "2 files moved back from: C:\\Games\\CoD\\Main\\$stamp" ] ||
    fail "status after the restore: '$status'"
items=$(drive items "Pakscour v2.1" | sort | tr '\n' ' ')
[ "$items" = "mod_fun.pk3 zz_alien.pk3 " ] || fail "restored aliens listed as: $items"

# United Offensive: its own folder.
drive click "Pakscour v2.1" "&UO"
[ "$(drive checked "Pakscour v2.1" "&CoD")" = 0 ] || fail "CoD still ticked"
[ "$(drive items "Pakscour v2.1")" = uo_alien.pk3 ] || fail "UO aliens wrong"
sleep 1.1  # a new second, so a new stamp
drive click "Pakscour v2.1" "&Clean"
uo_backup=$(find "$games/CoD/uo" -mindepth 1 -maxdepth 1 -type d)
[ -f "$uo_backup/uo_alien.pk3" ] && [ -f "$games/CoD/uo/pakuo00.pk3" ] || fail "UO clean"

# Call of Duty 2: its downloads are only in the VirtualStore copy of its folder. They are listed,
# and the clean moves them into a stamped folder in the real folder, which the status names.
drive click "Pakscour v2.1" "Co&D2"
[ "$(drive items "Pakscour v2.1")" = vs_alien.iwd ] || fail "CoD2 aliens in the VirtualStore not listed"
drive click "Pakscour v2.1" "&Clean"
status=$(drive texts "Pakscour v2.1" | grep '^Alien files moved to: ' || true)
[[ $status =~ ^Alien\ files\ moved\ to:\ C:\\Program\ Files\ \(x86\)\\Activision\\Call\ of\ Duty\ 2\\main\\([0-9]{12})$ ]] ||
    fail "status after the CoD2 clean: '$status'"
cmp -s "$work/vs_alien.iwd" "$cod2/${BASH_REMATCH[1]}/vs_alien.iwd" ||
    fail "vs_alien.iwd not moved whole into the backup folder"
[ ! -e "$cod2_store/vs_alien.iwd" ] || fail "vs_alien.iwd still in the VirtualStore"
[ -f "$cod2/iw_00.iwd" ] || fail "the CoD2 stock archive was touched"

# F1 shows the help panel: the window grows.
before=$(drive height "Pakscour v2.1")
drive key "Pakscour v2.1" F1
after=$before
for _ in $(seq 600); do
    after=$(drive height "Pakscour v2.1")
    [ "$after" = "$before" ] || break
    sleep 0.1
done
[ "$after" -gt "$before" ] || fail "F1 did not grow the window ($before -> $after)"

# The Exit button ends the program (its last window). Wine keeps menus inside the owning
# process, so the menu is driven by the in-process GUI tests instead.
drive click "Pakscour v2.1" "E&xit"
ended "$program" 120 || fail "the program did not end"
wait "$program" || fail "the program's exit status was $?"

# Without Call of Duty and Call of Duty 2 the program says so and ends.
for g in "Call of Duty" "Call of Duty United Offensive" "Call of Duty 2"; do
    "$tool_wine" reg delete "HKLM\\Software\\Activision\\$g" /f /reg:32 >/dev/null
done
wineserver -w
"$wine" "$exe" &
program=$!
drive box Pakscour $start_ms | grep -qx "Call of Duty was not found on your PC" ||
    fail "no not-found message"
drive box-ok Pakscour
ended "$program" 120 || fail "the program did not end after the message"
drive gone "Pakscour v2.1" 100 || fail "the main window appeared"

# Games no installer registered. A folder given on the command line (as a folder dropped onto
# pakscour.exe arrives): a copied install, names in other cases. A folder without a game is
# named in a message first.
portable="$WINEPREFIX/drive_c/Portable Games/Call of Duty"
mkdir -p "$portable/MAIN" "$WINEPREFIX/drive_c/Nothing here/Main"
echo stock >"$portable/MAIN/PAK0.PK3"
echo "alien portable" >"$portable/MAIN/portable_alien.pk3"
# Under Wine a folder may be named by its Linux path too.
"$wine" "$exe" 'C:\Nothing here' "$portable" &
program=$!
box=$(drive box Pakscour $start_ms) || fail "no message for the folder without a game"
grep -qx 'C:\\Nothing here' <<<"$box" || fail "the message does not name the folder: $box"
grep -q 'Main\\pak0.pk3' <<<"$box" || fail "the message does not say what was looked for: $box"
drive box-ok Pakscour
drive wait "Pakscour v2.1" $step_ms || fail "no main window with a folder on the command line"
texts=$(drive texts "Pakscour v2.1")
[ "$(grep -cx Installed <<<"$texts")" = 1 ] || fail "the command-line folder: $texts"
[ "$(drive items "Pakscour v2.1")" = portable_alien.pk3 ] || fail "portable aliens not listed"
drive click "Pakscour v2.1" "&Clean"
status=$(drive texts "Pakscour v2.1" | grep '^Alien files moved to: ' || true)
[[ $status =~ ^Alien\ files\ moved\ to:\ (C:|Z:.*\\drive_c)\\Portable\ Games\\Call\ of\ Duty\\Main\\([0-9]{12})$ ]] ||
    fail "status after the command-line clean: '$status'"
[ -f "$portable/MAIN/${BASH_REMATCH[2]}/portable_alien.pk3" ] && [ -f "$portable/MAIN/PAK0.PK3" ] ||
    fail "the command-line clean did not move the file into the folder"
drive click "Pakscour v2.1" "E&xit"
ended "$program" 120 || fail "the program did not end (command line)"

# pakscour.exe dropped into a game's folder, with nothing registered and no arguments.
beside="$WINEPREFIX/drive_c/Portable Games/Call of Duty 2"
mkdir -p "$beside/main"
echo stock >"$beside/main/iw_00.iwd"
echo "alien beside" >"$beside/main/beside_alien.iwd"
cp "$exe" "$beside/pakscour.exe"
"$wine" "$beside/pakscour.exe" &
program=$!
drive wait "Pakscour v2.1" $start_ms || fail "no main window for the game beside the program"
[ "$(drive checked "Pakscour v2.1" "Co&D2")" = 1 ] || fail "CoD2 beside the program not ticked"
[ "$(drive items "Pakscour v2.1")" = beside_alien.iwd ] || fail "aliens beside the program not listed"
drive click "Pakscour v2.1" "&Clean"
moved=$(find "$beside/main" -mindepth 2 -name beside_alien.iwd)
[ -n "$moved" ] && [ ! -e "$beside/main/beside_alien.iwd" ] || fail "the clean beside the program"
drive click "Pakscour v2.1" "E&xit"
ended "$program" 120 || fail "the program did not end (beside)"
echo "end_to_end: passed on the $build (backup $stamp)"
