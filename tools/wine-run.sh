#!/usr/bin/env bash
# Runs one Windows program under Wine, the way the module's users run it:
# a private prefix in the build tree, the Russian ANSI code page (1251) and an
# X display (Wine cannot create windows without one).
#
#   wine-run.sh --prefix DIR PROGRAM [ARGS...]
#
# The program's own PE header says whether it is a 32-bit or a 64-bit one;
# each build tree has a prefix of its own kind.
#
# CTest starts several of these at once, so creating the prefix and starting
# Xvfb are serialised with a lock.
set -euo pipefail
source "$(dirname "$0")/xvfb.sh"

if [ "${1:-}" != "--prefix" ] || [ $# -lt 3 ]; then
    echo "usage: $0 --prefix DIR PROGRAM [ARGS...]" >&2
    exit 2
fi
prefix=$2
shift 2

# The machine field of the PE header: 014c for i386, 8664 for x86-64.
pe_machine() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}

program=$1
[ -f "$program" ] || program=$program.exe
case "$(pe_machine "$program" 2>/dev/null)" in
    8664)
        # /usr/bin/wine prefers the 32-bit loader whenever it is installed.
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
        export WINESERVER=/usr/lib/wine/wineserver64
        wine=$WINELOADER
        ;;
    014c)
        export WINEARCH=win32
        wine=wine
        ;;
    *)
        echo "$0: $1 is not a 32-bit or 64-bit Windows program" >&2
        exit 2
        ;;
esac

export WINEPREFIX=$prefix
# A caller may ask for a channel (WINEDEBUG=warn+heap); quiet otherwise.
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ru_RU.UTF-8
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

lock="$prefix.lock"
mkdir -p "$(dirname "$prefix")"
exec 9>"$lock"
flock 9

if [ -z "${DISPLAY:-}" ]; then
    # One Xvfb per prefix, kept for later runs; its display number is stored
    # beside the prefix.
    xfile="$prefix.display"
    display=""
    if [ -f "$xfile" ]; then
        read -r display xpid < "$xfile" || true
        if ! kill -0 "${xpid:-0}" 2>/dev/null; then display=""; fi
    fi
    if [ -z "$display" ]; then
        start_xvfb
        display=$DISPLAY xpid=$XVFB_PID
        echo "$display $xpid" > "$xfile"
    fi
    export DISPLAY=$display
fi

if [ ! -f "$prefix/system.reg" ]; then
    "$wine" wineboot --init >/dev/null 2>&1 9>&- || true
    # A crashing test prints its backtrace and ends, instead of waiting
    # behind a crash dialog that nobody can close.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 9>&- || true
    wineserver -w 9>&-
fi
flock -u 9
exec 9>&-

exec "$wine" "$@"
