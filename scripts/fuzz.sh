#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs them, two at a time, for N minutes each (default 10). The growing corpus,
# the crashes and the logs stay outside the repository, in $LUMORA_FUZZ_DIR (default
# /var/tmp/lumora-fuzz/<target>/); the repository's seeds (tests/fuzz/corpus/<target>/) are read,
# never written. A crash found there goes, with its fix, into tests/fuzz/regressions/<target>/,
# which the normal test suite replays.
#
#   scripts/fuzz.sh [--minutes N] [TARGET...]     (no TARGET: all of them)
#
# Installs clang-14 and libfuzzer-14-dev first when they are missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=10
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes="$2"; shift 2 ;;
    --minutes=*) minutes="${1#*=}"; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(ls tests/fuzz/corpus))
fi

missing=()
for p in clang-14 libfuzzer-14-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMORA_FUZZ=ON -DLUMORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

out="${LUMORA_FUZZ_DIR:-/var/tmp/lumora-fuzz}"
run_one() {
  local target="$1" dir="$out/$1"
  mkdir -p "$dir/corpus" "$dir/crashes"
  echo "fuzz_$target: $minutes min, corpus and crashes in $dir"
  # New inputs go to the first folder only; the seeds in the repository are read.
  # A refused allocation returns null (new throws), as without the sanitizer: the mesh importer's
  # trial read runs under a memory budget of its own, which libFuzzer's malloc limit would preempt.
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp" \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/tests/fuzz/fuzz_$target" "$dir/corpus" "tests/fuzz/corpus/$target" \
    -dict=tests/fuzz/plot.dict -max_total_time=$((minutes * 60)) -timeout=20 -max_len=65536 \
    -rss_limit_mb=3072 -malloc_limit_mb=1000000 -artifact_prefix="$dir/crashes/" \
    -print_final_stats=1 \
    >"$dir/log.txt" 2>&1 || echo "fuzz_$target stopped with a finding: see $dir/log.txt"
  grep -E "^#[0-9]+.*(DONE|pulse|NEW)" "$dir/log.txt" | tail -1 | sed "s/^/fuzz_$target: /" || true
}

# Two at a time: the machine has two cores.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" &
  if [ $((i + 1)) -lt ${#targets[@]} ]; then
    run_one "${targets[i + 1]}" &
  fi
  wait
done
