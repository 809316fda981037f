#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UBSan in a build
# folder of their own and runs each one over its seed corpus (the
# repository is never written). The targets are those the fuzz
# CMakeLists.txt declares with fennix_fuzzer(), so a new one is run
# without changing this script.
#
#   run-fuzzers.sh [--mutate] [BUILD_FOLDER]   default: build-fuzz beside the sources
#
# Without --mutate (the regression check of `make test`): every seed is run
# once, nothing is mutated; it takes seconds. Fails when a seed crashes, a
# sanitizer reports, a seed runs out of memory or of its generous time
# (FENNIX_FUZZ_INPUT_SECONDS, 60 s: the slowest seed takes well under a
# second even under the sanitizers, so a busy machine cannot trip it), or a
# target does not run.
#
# With --mutate (`make fuzz`): each target mutates a copy of its corpus for
# FENNIX_FUZZ_SECONDS (20) with the same per-input limit; FENNIX_FUZZ_SEED
# is the random seed (1, so every run tries the same inputs first; 0 for a
# new seed each run). Fails as above, and when an input libFuzzer made
# crashes, reports or runs out of time or memory.
#
# FENNIX_FUZZ_TARGETS names the targets to run instead of all of them. Two
# targets run at once.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mutate=0
if [[ ${1:-} == --mutate ]]; then
  mutate=1
  shift
fi
build=${1:-$root/build-fuzz}
seconds=${FENNIX_FUZZ_SECONDS:-20}
input_seconds=${FENNIX_FUZZ_INPUT_SECONDS:-60}
seed=${FENNIX_FUZZ_SEED:-1}

# The targets the fuzz build declares, in the order it declares them.
declared=($(sed -n 's/^[[:space:]]*fennix_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' "$here/CMakeLists.txt"))
targets=(${FENNIX_FUZZ_TARGETS:-${declared[@]}})
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "fuzz: no fuzz_ targets declared in $here/CMakeLists.txt"
  exit 1
fi

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DFENNIX_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; exit 1; }
  rm -f "$build.configure.log"
fi
cmake --build "$build" --target fuzzers -j 2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/fennix-fuzzers-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# One target: its own TMPDIR (the target makes its private folder there), a
# log of its own. The replay runs the seeds where they are, as files (one
# run each, its time in the log); the mutation run works on a copy.
run_one() {
  local name=$1 dir=$scratch/$1
  mkdir -p "$dir/corpus" "$dir/tmp" "$dir/artifacts"
  local seeds=("$here/corpus/$name/"*)
  if [[ ! -f ${seeds[0]} ]]; then
    # No seeds yet: the empty input, so the target still runs once.
    : > "$dir/corpus/empty"
    seeds=("$dir/corpus/empty")
  fi
  local how=("${seeds[@]}")
  if ((mutate)); then
    cp "${seeds[@]}" "$dir/corpus/"
    local dict=()
    [[ -f "$here/$name.dict" ]] && dict=(-dict="$here/$name.dict")
    how=("$dir/corpus" "${dict[@]}" -seed="$seed" -max_total_time="$seconds")
  fi
  local status=0
  TMPDIR=$dir/tmp QT_LOGGING_RULES='*=false' QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=abort_on_error=0:detect_stack_use_after_return=1 \
    timeout $((seconds + 30 * input_seconds)) "$build/bin/$name" "${how[@]}" \
      -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout="$input_seconds" \
      -print_final_stats=1 -artifact_prefix="$dir/artifacts/" > "$dir/log" 2>&1 || status=$?
  echo "$status" > "$dir/status"
}

failed=0
for ((k = 0; k < ${#targets[@]}; k += 2)); do
  run_one "${targets[k]}" &
  if ((k + 1 < ${#targets[@]})); then run_one "${targets[k + 1]}" & fi
  wait
done

for name in "${targets[@]}"; do
  dir=$scratch/$name
  status=$(cat "$dir/status")
  if ((mutate)); then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
  else
    runs=$(grep -c '^Executed .* in [0-9]* ms' "$dir/log" || true)
  fi
  if [[ $status -ne 0 ]] || grep -q -e 'ERROR: ' -e 'runtime error:' "$dir/log" ||
     [[ -z $runs || $runs -eq 0 ]]; then
    echo "FAILED $name (exit $status)"
    tail -n 60 "$dir/log"
    for artifact in "$dir/artifacts/"*; do
      [[ -f $artifact ]] && { echo "input $artifact (base64):"; base64 -w 0 "$artifact" | head -c 4000; echo; }
    done
    failed=$((failed + 1))
  elif ((mutate)); then
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$dir/log")
    echo "ok     $name: $runs runs in ${seconds} s, corpus $(ls "$dir/corpus" | wc -l) files, peak ${rss} MB"
  else
    slowest=$(sed -n 's/^Executed \(.*\) in \([0-9]*\) ms$/\2 \1/p' "$dir/log" | sort -n | tail -n 1)
    echo "ok     $name: $runs seeds, slowest ${slowest%% *} ms (${slowest#* })"
  fi
done
passed=$((${#targets[@]} - failed))
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
