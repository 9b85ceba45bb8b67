#!/bin/sh
# systemd-analyze verify on a configured unit, with ExecStart pointed at the built program because
# the installed one need not exist yet. Any complaint fails; without systemd-analyze it skips (77).
# Usage: verify-unit.sh UNIT INSTALLED_PROGRAM BUILT_PROGRAM
unit=$1 installed=$2 built=$3
command -v systemd-analyze >/dev/null 2>&1 || { echo "systemd-analyze is not installed: skipped"; exit 77; }
grep -q "^ExecStart=$installed --service\$" "$unit" || { echo "ExecStart does not start $installed --service"; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
copy="$dir/$(basename "$unit")"
sed "s#^ExecStart=$installed #ExecStart=$built #" "$unit" >"$copy"
out=$(systemd-analyze verify "$copy" 2>&1)
rc=$?
[ -n "$out" ] && echo "$out"
[ $rc -eq 0 ] && [ -z "$out" ]
