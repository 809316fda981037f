#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UBSan in a build
# folder of their own and runs each one for a short, bounded time over a
# copy of its seed corpus (the repository is never written). Fails when a
# target crashes, a sanitizer reports, an input runs out of time or memory,
# or a target does not run at all.
#
#   run-fuzzers.sh [BUILD_FOLDER]     default: build-fuzz beside the sources
#
# FENNIX_FUZZ_SECONDS (20) sets each target's run time, FENNIX_FUZZ_TARGETS
# a list of targets to run instead of all of them, FENNIX_FUZZ_SEED the
# random seed (1, so every run tries the same inputs first; 0 for a new
# seed each run). Two targets run at once.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${FENNIX_FUZZ_SECONDS:-20}
seed=${FENNIX_FUZZ_SEED:-1}
targets=(${FENNIX_FUZZ_TARGETS:-fuzz_project fuzz_profile fuzz_dib fuzz_companion fuzz_image fuzz_wmf fuzz_points})

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DFENNIX_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; exit 1; }
  rm -f "$build.configure.log"
fi
cmake --build "$build" --target fuzzers -j 2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/fennix-fuzzers-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# One target: its corpus copied into the scratch folder, its own TMPDIR
# (the target makes its private folder there), a log of its own.
run_one() {
  local name=$1 dir=$scratch/$1
  mkdir -p "$dir/corpus" "$dir/tmp" "$dir/artifacts"
  cp "$here/corpus/$name/"* "$dir/corpus/"
  local dict=()
  [[ -f "$here/$name.dict" ]] && dict=(-dict="$here/$name.dict")
  local status=0
  TMPDIR=$dir/tmp QT_LOGGING_RULES='*=false' QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=abort_on_error=0:detect_stack_use_after_return=1 \
    timeout $((seconds + 300)) "$build/bin/$name" "$dir/corpus" "${dict[@]}" \
      -seed="$seed" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=10 \
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
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
  if [[ $status -ne 0 ]] || grep -q -e 'ERROR: ' -e 'runtime error:' "$dir/log" ||
     [[ -z $runs || $runs -eq 0 ]]; then
    echo "FAILED $name (exit $status)"
    tail -n 60 "$dir/log"
    for artifact in "$dir/artifacts/"*; do
      [[ -f $artifact ]] && { echo "input $artifact (base64):"; base64 -w 0 "$artifact" | head -c 4000; echo; }
    done
    failed=$((failed + 1))
  else
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$dir/log")
    echo "ok     $name: $runs runs in ${seconds} s, corpus $(ls "$dir/corpus" | wc -l) files, peak ${rss} MB"
  fi
done
passed=$((${#targets[@]} - failed))
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
