#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine for ctest and exits with its Windows exit code.
#   wine32-run.sh PROGRAM.exe [ARGUMENTS...]
# Under qemu user emulation, a 32-bit Wine process that has finished sometimes ends by SIGKILL
# instead of with its exit status (seen under heavy load), which a Unix parent takes for a
# crash. A 64-bit `start /wait` waits for the Windows process and returns the exit code that
# Wine itself recorded; output goes to the same standard output and error.
if [ -x /usr/lib/wine/wine64 ]; then
    exec /usr/lib/wine/wine64 start /wait /b /unix "$@"
fi
exec wine "$@"
