#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, address and undefined sanitizers) into
# build-fuzz and runs each for SECONDS seconds (default 20) with its seeds and dictionary.
# Fails when a target finds a crash, a leak, a timeout or a broken property; the input that
# did it is kept in build-fuzz/findings/TARGET/. Inputs that reach new code collect in
# build-fuzz/corpus/TARGET/ and are used again by the next run.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      (targets: patch_file patch_json preference
#                                               template midi_input; default all)
# KVX_FUZZ_FLAGS adds libFuzzer flags, e.g. "-fork=1 -ignore_crashes=1" for a long run that
# goes on after a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(patch_file patch_json preference template midi_input)

PACKAGES=(clang cmake ninja-build nlohmann-json3-dev)
scripts/install_packages.sh "${PACKAGES[@]}"

BUILD=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVX_BUILD_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

declare -A MAX_LEN=([patch_file]=20000 [patch_json]=16384 [preference]=4096 [template]=300
                    [midi_input]=4096)
failed=()
for target in "${targets[@]}"; do
  [[ -n ${MAX_LEN[$target]:-} ]] || { echo "unknown fuzz target: $target" >&2; exit 2; }
  corpus=$BUILD/corpus/$target
  findings=$BUILD/findings/$target
  log=$BUILD/fuzz-$target.log
  mkdir -p "$corpus" "$findings"
  seeds=()
  [[ -d fuzz/corpus/$target ]] && seeds+=(fuzz/corpus/"$target")
  case $target in
    patch_file) seeds+=("$BUILD/fuzz/seeds/patch_file") ;;
    patch_json) cp examples/*.json examples/old-format/*.json "$corpus"/ ;;
  esac
  dict=()
  [[ -f fuzz/$target.dict ]] && dict=(-dict="fuzz/$target.dict")
  # shellcheck disable=SC2086
  if "$BUILD/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -max_len="${MAX_LEN[$target]}" -artifact_prefix="$findings/" -print_final_stats=1 \
       "${dict[@]}" ${KVX_FUZZ_FLAGS:-} "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    # A forked run (-fork=N) prints no final stats: its last status line counts the runs.
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 ||
           grep -o '^#[0-9]*' "$log" | tr -d '#' | tail -1 || true)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    echo "fuzz_$target: ${runs:-?} runs, ${cov:-cov: ?}, no findings"
  else
    echo "fuzz_$target: FAILED (log: $log, input: $findings/)"
    grep -E 'property broken|ERROR: |SUMMARY: ' "$log" | head -5 || true
    failed+=("$target")
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
