#!/usr/bin/env bash
# What a shown line costs in Wine's rich edit, by the kind of line, beside
# what the same line costs kept as rich text.
#   bench/line_cost.sh
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_windows
wine_run ./line_cost.exe
