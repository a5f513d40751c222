#!/usr/bin/env bash
# Figure 3: a channel of 10,000 users in NAMES replies of normal size, then
# 2,000 JOINs and 2,000 QUITs; seconds from the first byte sent until the
# user list is done (the line after the last QUIT is shown).
#   bench/names.sh [USERS] [JOINS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
users=${1:-10000}
joins=${2:-2000}
build_windows
python3 "$root/bench/make_traffic.py" names "$users" "$joins" "$work/names.txt"
run_module names "$work/names.txt"
listed=$(awk '/^users/ { print $2 }' <<<"$module_output")
echo "names: $users users and $joins joins and quits in $seconds s, user list holds $listed"
