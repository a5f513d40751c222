#!/usr/bin/env bash
# Figure 4b: the DLL's size (as built, with its debug information, and
# stripped as it would ship), and the time from LoadLibrary to a created,
# shown window (the best of five runs, each a fresh process).
#   bench/start.sh
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_windows
for _ in 1 2 3 4 5; do
    wine_run ./start_time.exe | tee -a "$work/start.out" >&2
done
best=$(awk '/to a shown/ { print $(NF - 1) }' "$work/start.out" | sort -n | head -1)
i686-w64-mingw32-strip -o "$work/stripped.dll" "$bin/TalvoIrc.dll"
echo "dll: $(stat -c %s "$bin/TalvoIrc.dll") bytes, $(stat -c %s "$work/stripped.dll") stripped;" \
     "LoadLibrary to shown window: best of 5 $best ms"
