#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each for a while from a copy of its
# corpus. A crash, leak or timeout fails the run and prints the input that caused it as hex.
#   scripts/fuzz.sh [seconds per target, default 30] [target ...]   (targets: fuzz/fuzz_<name>.cpp)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLANIX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz

# The settings target writes a file per input: memory-backed storage keeps that cheap.
parent=/dev/shm
[ -w "$parent" ] || parent=${TMPDIR:-/tmp}
work=$(mktemp -d -p "$parent" vorlanix-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
export UBSAN_OPTIONS=print_stacktrace=1
# Qt's libraries keep no frame pointers, so the fast unwinder records endless distinct allocation
# stacks through them; over a long run that store outgrows the memory limit. Take the exact one then.
[ "$seconds" -gt 600 ] && export ASAN_OPTIONS=${ASAN_OPTIONS:-fast_unwind_on_malloc=0}
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp

failed=0
for t in "${targets[@]}"; do
  corpus=$work/corpus-$t
  mkdir -p "$corpus" "$work/out-$t"
  cp fuzz/corpus/"$t"/* "$corpus"/
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  echo "== fuzz_$t for ${seconds}s"
  if ! "$build/fuzz/fuzz_$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/out-$t/" "$corpus" >"$work/log-$t" 2>&1; then
    failed=1
    sed -n '/ERROR\|runtime error\|property failed\|ALARM\|out-of-memory/,/^SUMMARY/p' "$work/log-$t" | head -80
    for a in "$work/out-$t"/*; do
      [ -f "$a" ] || continue
      echo "-- input $(basename "$a") ($(stat -c %s "$a") bytes):"
      od -A x -t x1z -v "$a" | head -64
    done
  fi
  grep -E '^#[0-9]+\s+(INITED|DONE)|average_exec_per_sec' "$work/log-$t" | sed 's/^/   /' || true
done
exit $failed
