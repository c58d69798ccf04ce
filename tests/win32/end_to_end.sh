#!/usr/bin/env bash
# The whole program in a Wine prefix of its own: the three games registered as their 32-bit
# installers register them, archives in their folders; pakscour.exe starts with the splash
# window, shows the games, lists the alien files, and a clean moves them into the stamped
# folder, which is checked on disk. Needs a display (DISPLAY) and, ideally, a fresh prefix
# in WINEPREFIX to copy.
#   end_to_end.sh WINE PAKSCOUR_EXE DRIVER_EXE
set -euo pipefail
wine=$1
exe=$2
driver=$3
export WINEDEBUG=-all

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
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i >/dev/null 2>&1

fail() {
    echo "end_to_end: FAILED: $*" >&2
    exit 1
}
drive() { "$wine" "$driver" "$@" | tr -d '\r'; }

# The games, registered where 32-bit installers write.
add() { "$wine" reg add "HKLM\\Software\\Activision\\$1" /v "$2" /d "$3" /f /reg:32 >/dev/null; }
add "Call of Duty" InstallPath 'C:\Games\CoD'
add "Call of Duty" Version 1.5
add "Call of Duty United Offensive" InstallPath 'C:\Games\CoD'
add "Call of Duty United Offensive" Version 1.51
add "Call of Duty 2" InstallPath 'C:\Games\CoD2\'
add "Call of Duty 2" Version 1.3

games=$WINEPREFIX/drive_c/Games
rm -rf "$games"
mkdir -p "$games/CoD/Main/dir.pk3" "$games/CoD/uo" "$games/CoD2/main"
for f in pak0.pk3 pak1.pk3 .hidden.pk3; do echo "stock $f" >"$games/CoD/Main/$f"; done
for f in zz_alien.pk3 mod_fun.pk3; do echo "alien $f" >"$games/CoD/Main/$f"; done
echo stock >"$games/CoD/uo/pakuo00.pk3"
echo "alien uo" >"$games/CoD/uo/uo_alien.pk3"
echo stock >"$games/CoD2/main/iw_00.iwd"
wineserver -w

"$wine" "$exe" &
program=$!

# The splash window (no caption) with the product and version, then the main window.
drive wait "" 15000 || fail "no splash window"
drive texts "" | grep -qx "Pakscour v2.1" || fail "splash without its title"
drive wait "Pakscour v2.1" 15000 || fail "no main window"
drive gone "" 2000 || fail "the splash window stayed"

texts=$(drive texts "Pakscour v2.1")
[ "$(grep -cx Installed <<<"$texts")" = 3 ] || fail "not all three games found: $texts"
for v in 1.5 1.51 1.3; do grep -qx "$v" <<<"$texts" || fail "version $v missing"; done
[ "$(drive checked "Pakscour v2.1" "&CoD")" = 1 ] || fail "CoD not ticked"
items=$(drive items "Pakscour v2.1" | sort | tr '\n' ' ')
[ "$items" = "mod_fun.pk3 zz_alien.pk3 " ] || fail "CoD aliens listed as: $items"

# Clean: the files move into Main\<twelve digits>.
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

# United Offensive: its own folder.
drive click "Pakscour v2.1" "&UO"
[ "$(drive checked "Pakscour v2.1" "&CoD")" = 0 ] || fail "CoD still ticked"
[ "$(drive items "Pakscour v2.1")" = uo_alien.pk3 ] || fail "UO aliens wrong"
sleep 1.1  # a new second, so a new stamp
drive click "Pakscour v2.1" "&Clean"
uo_backup=$(find "$games/CoD/uo" -mindepth 1 -maxdepth 1 -type d)
[ -f "$uo_backup/uo_alien.pk3" ] && [ -f "$games/CoD/uo/pakuo00.pk3" ] || fail "UO clean"

# F1 shows the help panel: the window grows.
before=$(drive height "Pakscour v2.1")
drive key "Pakscour v2.1" F1
sleep 0.5
after=$(drive height "Pakscour v2.1")
[ "$after" -gt "$before" ] || fail "F1 did not grow the window ($before -> $after)"

# The Exit button ends the program (its last window). Wine keeps menus inside the owning
# process, so the menu is driven by the in-process GUI tests instead.
drive click "Pakscour v2.1" "E&xit"
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end"; fi
wait "$program" || fail "the program's exit status was $?"

# Without Call of Duty and Call of Duty 2 the program says so and ends.
for g in "Call of Duty" "Call of Duty United Offensive" "Call of Duty 2"; do
    "$wine" reg delete "HKLM\\Software\\Activision\\$g" /f /reg:32 >/dev/null
done
wineserver -w
"$wine" "$exe" &
program=$!
drive box Pakscour 15000 | grep -qx "Call of Duty was not found on your PC" ||
    fail "no not-found message"
drive box-ok Pakscour
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end after the message"; fi
drive gone "Pakscour v2.1" 100 || fail "the main window appeared"
echo "end_to_end: passed (backup $stamp)"
