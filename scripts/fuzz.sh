#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short fixed time.
# FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-20}

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVOLTANDER_FUZZ=ON -DVOLTANDER_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
targets=$(sed -n 's/^voltander_fuzzer(\([a-z_]*\).*/\1/p' "$root/tests/fuzz/CMakeLists.txt")
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" --target $targets

failed=0
for t in $targets; do
  corpus="$dir/corpus/$t"
  mkdir -p "$corpus"
  echo "== $t: ${seconds}s"
  if ! "$dir/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$dir/$t-" "$corpus" 2>"$dir/$t.log"; then
    tail -n 40 "$dir/$t.log"
    failed=1
  fi
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$dir/$t.log" || true
done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: a target failed"
  exit 1
fi
echo "fuzz: all targets ran clean"
