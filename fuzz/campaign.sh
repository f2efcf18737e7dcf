#!/usr/bin/env bash
# A long fuzzing run of one target, outside CI, that grows its corpus.
#
#   fuzz/campaign.sh TARGET HOURS [BUILD_DIR]
#
# Runs TARGET of BUILD_DIR (default build/fuzz-fast: the preset "fuzz-fast",
# without AddressSanitizer and several times faster; a build of "fuzz" works
# too) for HOURS (a decimal number: 0.1 is six minutes) from its committed
# inputs, then merges what it found with the committed corpus
# (-merge=1) into a minimal set and puts that in fuzz/corpus/TARGET, ready to
# commit: CI's replay grows with every campaign.  Inputs that crash, hang,
# leak or run out of memory stop the run and are kept in
# BUILD_DIR/fuzz-artifacts/TARGET/; make each a regression input
# (fuzz/regressions/TARGET/) once the fault is fixed.
#
# Prints the executions, the coverage of the merged corpus (libFuzzer's cov
# and ft) and the findings, last as a row for the table in docs/testing.md.
#
# Environment: FUZZ_SEED (default 0: libFuzzer picks one and prints it),
# FUZZ_RUNS (stop after that many inputs, if sooner than HOURS), FUZZ_FLAGS
# (more libFuzzer flags, split at spaces),
# FUZZ_INPUT_TIMEOUT (seconds, default 600).  libFuzzer's timeout is wall
# clock, and a campaign runs at the lowest priority beside other work, where
# an input of one second's work can wait minutes for the processor.
set -uo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
  echo "usage: $0 TARGET HOURS [BUILD_DIR]" >&2
  exit 2
fi
target=$1
hours=$2
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "${3:-$here/../build/fuzz-fast}" && pwd) || exit 2
# shellcheck source=fuzz/targets.sh
source "$here/targets.sh"
if [[ " ${FUZZ_TARGETS[*]} " != *" $target "* ]]; then
  echo "$0: unknown target $target (known: ${FUZZ_TARGETS[*]})" >&2
  exit 2
fi
if ! seconds=$(awk -v h="$hours" 'BEGIN { if (h !~ /^[0-9]*\.?[0-9]+$/ || h <= 0) exit 1; printf "%d", h * 3600 + 0.5 }'); then
  echo "$0: HOURS must be a positive number, not $hours" >&2
  exit 2
fi
binary=$build_dir/fuzz/$target
if [[ ! -x $binary ]]; then
  echo "$0: $binary is not built (cmake --preset fuzz-fast && cmake --build --preset fuzz-fast)" >&2
  exit 2
fi

corpus=$here/corpus/$target
artifacts=$build_dir/fuzz-artifacts/$target
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus" "$artifacts" "$work/found" "$work/merged"
flags=(-timeout="${FUZZ_INPUT_TIMEOUT:-600}" -rss_limit_mb=2048 -artifact_prefix="$artifacts/")
[[ -f $here/$target.dict ]] && flags+=(-dict="$here/$target.dict")
seeds=("$corpus")
[[ -d $here/regressions/$target ]] && seeds+=("$here/regressions/$target")
limits=(-max_total_time="$seconds")
[[ -n ${FUZZ_RUNS:-} ]] && limits+=(-runs="$FUZZ_RUNS")
read -r -a extra <<<"${FUZZ_FLAGS:-}"

touch "$work/started"
started=$(date -u +%Y-%m-%d)
echo "== $target for $seconds s"
# New inputs go to the first folder; the committed ones are only read.
"$binary" "$work/found" "${seeds[@]}" "${flags[@]}" -seed="${FUZZ_SEED:-0}" "${limits[@]}" "${extra[@]}" \
  -print_final_stats=1 2>&1 | tee "$work/run.log" | grep -E '^(INFO: Seed|#[0-9]+\s+(INITED|DONE)|==[0-9]+==ERROR|SUMMARY)'
status=${PIPESTATUS[0]}
executed=$(sed -n -E 's/^stat::number_of_executed_units: *([0-9]+)$/\1/p' "$work/run.log")
rate=$(sed -n -E 's/^stat::average_exec_per_sec: *([0-9]+)$/\1/p' "$work/run.log")
peak=$(sed -n -E 's/^stat::peak_rss_mb: *([0-9]+)$/\1/p' "$work/run.log")

echo "== merging $(find "$work/found" -type f | wc -l) new inputs into $(find "$corpus" -type f | wc -l) committed ones"
if ! "$binary" -merge=1 "${flags[@]}" "$work/merged" "$corpus" "$work/found" >"$work/merge.log" 2>&1; then
  echo "$0: the merge failed; the corpus stays as it was" >&2
  tail -40 "$work/merge.log" >&2
  exit 1
fi
find "$corpus" -maxdepth 1 -type f -delete
cp "$work/merged/"* "$corpus/"

# The coverage of the merged corpus, each input run once.
"$binary" "$corpus" "${flags[@]}" -runs=0 >"$work/cover.log" 2>&1
coverage=$(grep -E '^#[0-9]+\s+INITED' "$work/cover.log" | grep -o -E 'cov: [0-9]+ ft: [0-9]+')
# libFuzzer also keeps an input that took over 10 s (slow-unit-*): at the
# lowest priority that is often the machine, so it is listed for a look but
# is not a finding.
mapfile -t found < <(find "$artifacts" -type f -newer "$work/started" ! -name 'slow-unit-*' | sort)
mapfile -t slow < <(find "$artifacts" -type f -newer "$work/started" -name 'slow-unit-*' | sort)
findings=${#found[@]}

echo "$target: ${executed:-?} executions (${rate:-?}/s, peak ${peak:-?} MB), $(find "$corpus" -type f | wc -l) corpus inputs, $coverage, $findings findings"
[[ $findings -gt 0 ]] && printf 'finding: %s\n' "${found[@]}"
[[ ${#slow[@]} -gt 0 ]] && printf 'slow input (time it alone: %s FILE): %s\n' "$binary" "${slow[@]}"
seed=$(sed -n -E 's/^INFO: Seed: ([0-9]+)$/\1/p' "$work/run.log" | head -n 1)
ran=$(sed -n -E 's/^Done [0-9]+ runs in ([0-9]+) second.*/\1/p' "$work/run.log")
echo "| \`$target\` (seed ${seed:-?}, ${ran:-?} s, $(basename "$build_dir")) | ${executed:-?} | ${coverage:-?} | $findings | $started |"
[[ $status -eq 0 ]]
