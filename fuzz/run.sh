#!/usr/bin/env bash
# Runs every fuzz target the way CI does, so that only a fault of Vendrix
# can make it fail:
#   1. replay: every committed input, fuzz/corpus/<target>/ and
#      fuzz/regressions/<target>/, runs once, each file as it is;
#   2. a short mutation campaign from those inputs with a fixed seed, at most
#      FUZZ_RUNS inputs and at most SECONDS seconds, whichever comes first.
# A slow machine only makes the campaign shorter.  The per-input timeout
# (FUZZ_INPUT_TIMEOUT, 60 s) is far beyond the slowest input's cost (well
# under a second), so only an input that really runs long trips it.
#
#   fuzz/run.sh BUILD_DIR [SECONDS] [TARGET...]
#
# BUILD_DIR is a build of the preset "fuzz".  SECONDS defaults to 60.  The
# campaign works on a copy of the corpus in a temporary folder, so the
# repository stays as it is.  Inputs that crash, hang, leak or run out of
# memory are kept in BUILD_DIR/fuzz-artifacts/<target>/.  Ends with the line
# "N passed, N failed" (a replay and a campaign per target); the exit code is
# non-zero when anything failed.
#
# Environment: FUZZ_RUNS (default 20000), FUZZ_SEED (default 1),
# FUZZ_INPUT_TIMEOUT (seconds, default 60).
set -uo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 BUILD_DIR [SECONDS] [TARGET...]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
seconds=${2:-60}
shift $(($# >= 2 ? 2 : 1))
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=fuzz/targets.sh
source "$here/targets.sh"
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=("${FUZZ_TARGETS[@]}")
runs=${FUZZ_RUNS:-20000}
seed=${FUZZ_SEED:-1}
input_timeout=${FUZZ_INPUT_TIMEOUT:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0

# libFuzzer's flags that every run shares.
common_flags() {
  local target=$1
  printf '%s\n' -timeout="$input_timeout" -rss_limit_mb=2048 -artifact_prefix="$build_dir/fuzz-artifacts/$target/"
  [[ -f $here/$target.dict ]] && printf '%s\n' -dict="$here/$target.dict"
}

# Prints a failed run's report, without libFuzzer's progress lines.
report_failure() {
  local target=$1 step=$2 status=$3 log=$4
  echo "$target: $step FAILED (exit code $status); the report:" >&2
  grep -v -E '^(#[0-9]+ |Running: |Executed )' "$log" | tail -80 >&2
  ls -l "$build_dir/fuzz-artifacts/$target" >&2
}

replay() {
  local target=$1 binary=$2
  local inputs=()
  mapfile -t inputs < <(committed_inputs "$here" "$target")
  if [[ ${#inputs[@]} -eq 0 ]]; then
    echo "$target: no committed inputs" >&2
    return 1
  fi
  local log=$work/$target.replay.log flags
  mapfile -t flags < <(common_flags "$target")
  "$binary" "${flags[@]}" "${inputs[@]}" >"$log" 2>&1
  local status=$?
  if [[ $status -ne 0 ]]; then
    report_failure "$target" replay "$status" "$log"
    return 1
  fi
  local slowest
  slowest=$(sed -n -E 's/^Executed .* in ([0-9]+) ms$/\1/p' "$log" | sort -n | tail -n 1)
  echo "$target: replayed ${#inputs[@]} committed inputs, the slowest ${slowest:-0} ms"
}

campaign() {
  local target=$1 binary=$2
  local corpus=$work/$target
  mkdir -p "$corpus"
  committed_inputs "$here" "$target" | while IFS= read -r input; do
    cp "$input" "$corpus/$(basename "$(dirname "$input")")-$(basename "$input")"
  done
  local log=$work/$target.campaign.log flags
  mapfile -t flags < <(common_flags "$target")
  "$binary" "$corpus" "${flags[@]}" -seed="$seed" -runs="$runs" -max_total_time="$seconds" \
    -print_final_stats=1 >"$log" 2>&1
  local status=$?
  if [[ $status -ne 0 ]]; then
    report_failure "$target" "campaign (seed $seed)" "$status" "$log"
    return 1
  fi
  local executed rate rss cov
  executed=$(sed -n -E 's/^stat::number_of_executed_units: *([0-9]+)$/\1/p' "$log")
  rate=$(sed -n -E 's/^stat::average_exec_per_sec: *([0-9]+)$/\1/p' "$log")
  rss=$(sed -n -E 's/^stat::peak_rss_mb: *([0-9]+)$/\1/p' "$log")
  cov=$(grep -E '^#[0-9]+\s' "$log" | tail -n 1 | grep -o -E 'cov: [0-9]+ ft: [0-9]+')
  echo "$target: campaign (seed $seed) ran ${executed:-?} inputs, ${rate:-?}/s, peak ${rss:-?} MB, $cov"
}

for target in "${targets[@]}"; do
  binary=$build_dir/fuzz/$target
  echo "== $target"
  if [[ ! -x $binary ]]; then
    echo "$target: not built ($binary missing)" >&2
    failed=$((failed + 2))
    continue
  fi
  mkdir -p "$build_dir/fuzz-artifacts/$target"
  if replay "$target" "$binary"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  if campaign "$target" "$binary"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
