#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs them, two at a time, for N minutes each (default 10). The growing corpus,
# the crashes and the logs stay outside the repository, in $LUMORA_FUZZ_DIR (default
# /var/tmp/lumora-fuzz/<target>/); the repository's seeds (tests/fuzz/corpus/<target>/) are read,
# never written. A crash found there goes, with its fix, into tests/fuzz/regressions/<target>/,
# which the normal test suite replays. Each run ends with a line in $LUMORA_FUZZ_DIR/summary.txt:
# executions per second, edges reached and their growth over the last ten minutes, findings.
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

source scripts/apt-missing.sh
install_missing clang-14 libfuzzer-14-dev

CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMORA_FUZZ=ON -DLUMORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

out="${LUMORA_FUZZ_DIR:-/var/tmp/lumora-fuzz}"
# One line per run: executions per second, edges reached at the end and ten minutes before it,
# and the files left in crashes/.
summarize() {
  local target="$1" dir="$2"
  # A slow unit is one that took over ten seconds once; it is listed apart, as it may be the
  # machine's stall rather than the input's.
  awk -v target="$target" -v findings="$(ls "$dir/crashes" | grep -vc '^slow-unit-')" \
    -v slow="$(ls "$dir/crashes" | grep -c '^slow-unit-')" '
    $1 > end { end = $1 }
    / cov: / { for (i = 1; i <= NF; i++) if ($i == "cov:") { cov[++n] = $(i + 1); at[n] = $1 } }
    $2 ~ /^#[0-9]+$/ { k = substr($2, 2) + 0; if (k < last) runs += last; last = k }
    END {
      runs += last
      eps = end > 0 ? runs / end : 0
      before = cov[1]
      for (i = 1; i <= n; i++) if (at[i] <= end - 600) before = cov[i]
      printf "fuzz_%s: %d s, %d runs, %d exec/s, %d edges (%d ten minutes before the end: +%d), %d findings, %d slow units\n",
        target, end, runs, eps, cov[n], before, cov[n] - before, findings, slow
    }' "$dir/log.txt"
}

run_one() {
  local target="$1" dir="$out/$1"
  mkdir -p "$dir/corpus" "$dir/crashes"
  echo "fuzz_$target: $minutes min, corpus and crashes in $dir"
  # New inputs go to the first folder only; the seeds in the repository are read.
  # A refused allocation returns null (new throws), as without the sanitizer: the mesh importer's
  # trial read runs under a memory budget of its own, which libFuzzer's malloc limit would preempt.
  # Each log line starts with the seconds since the start, so the coverage of any moment can be
  # read back (the summary gives the growth over the last ten minutes). A finding stops
  # libFuzzer; it is started again on the grown corpus until the minutes are spent.
  : >"$dir/log.txt"
  local start=$SECONDS started left
  started=$(date +%s)
  local run_start
  while left=$((minutes * 60 - (SECONDS - start))); [ "$left" -gt 5 ]; do
    run_start=$SECONDS
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
      LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp" \
      UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "build-fuzz/tests/fuzz/fuzz_$target" "$dir/corpus" "tests/fuzz/corpus/$target" \
      -dict=tests/fuzz/plot.dict -max_total_time="$left" -timeout=20 -max_len=65536 \
      -rss_limit_mb=3072 -malloc_limit_mb=1000000 -artifact_prefix="$dir/crashes/" \
      -print_final_stats=1 2>&1 |
      T0="$started" perl -pe 'BEGIN { $| = 1 } print time - $ENV{T0}, " "' >>"$dir/log.txt" &&
      continue
    # A finding within seconds is one of the corpus inputs: starting again would meet it again.
    if [ $((SECONDS - run_start)) -lt 30 ]; then
      echo "fuzz_$target: an input of the corpus fails at once (see $dir/log.txt); fix it first"
      break
    fi
    echo "fuzz_$target stopped with a finding (see $dir/log.txt); going on"
  done
  summarize "$target" "$dir" | tee -a "$out/summary.txt"
}

# Two at a time: the machine has two cores.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" &
  if [ $((i + 1)) -lt ${#targets[@]} ]; then
    run_one "${targets[i + 1]}" &
  fi
  wait
done
