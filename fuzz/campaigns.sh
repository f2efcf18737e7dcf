#!/usr/bin/env bash
# Long unattended fuzzing: several campaigns of fuzz/campaign.sh, one after
# another (each merges its finds into fuzz/corpus/TARGET before the next
# starts), with each campaign's table row appended to LOG as it ends.
#
#   fuzz/campaigns.sh LOG TARGET:HOURS[:SEED] ...
#
# e.g. fuzz/campaigns.sh /tmp/rows.md fuzz_evaluate:3:51 fuzz_macro:2:52
# Runs at the lowest priority (nice 19), so it can share a machine.  A
# campaign that fails (a finding, a failed merge) is logged and the next one
# still runs; the exit code is non-zero if any failed.  The full output of
# each campaign goes to LOG.TARGET-SEED.out beside LOG.
#
# Environment: FUZZ_BUILD_DIR (default build/fuzz-fast), and what
# fuzz/campaign.sh reads (FUZZ_RUNS, FUZZ_FLAGS, FUZZ_INPUT_TIMEOUT).  Without a seed
# libFuzzer picks one, which the row names.
set -uo pipefail

if [[ $# -lt 2 ]]; then
  echo "usage: $0 LOG TARGET:HOURS[:SEED] ..." >&2
  exit 2
fi
log=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
build_dir=${FUZZ_BUILD_DIR:-$here/../build/fuzz-fast}

# Checks every item before the first campaign starts: a typo in the last
# item must not surface hours later.
for item in "$@"; do
  if [[ ! $item =~ ^[a-z_]+:[0-9]*\.?[0-9]+(:[0-9]+)?$ ]]; then
    echo "$0: $item is not TARGET:HOURS[:SEED]" >&2
    exit 2
  fi
done

failed=0
for item in "$@"; do
  IFS=: read -r target hours seed <<<"$item"
  out="$log.$target-${seed:-0}.out"
  echo "$(date -u '+%F %T') $target for $hours h, seed ${seed:-0}: output in $out" >&2
  FUZZ_SEED=${seed:-0} nice -n 19 bash "$here/campaign.sh" "$target" "$hours" "$build_dir" >"$out" 2>&1
  status=$?
  row=$(grep -E '^\| ' "$out" | tail -n 1)
  if [[ $status -ne 0 ]]; then
    failed=$((failed + 1))
    echo "<!-- $target, seed ${seed:-0}: campaign.sh ended with $status, see $out -->" >>"$log"
  fi
  [[ -n $row ]] && echo "$row" >>"$log"
done
[[ $failed -eq 0 ]]
