#!/usr/bin/env bash
# Runs every fuzz target for a while, starting from its seed corpus.
#
#   fuzz/run.sh BUILD_DIR SECONDS
#
# BUILD_DIR is a build of the preset "fuzz" (it holds fuzz/fuzz_macro, fuzz/fuzz_ini and
# fuzz/fuzz_evaluate).  Each target runs for SECONDS on a copy of its corpus
# in a temporary folder, so the repository stays as it is.  Inputs that
# crash, hang, leak or run out of memory are kept in
# BUILD_DIR/fuzz-artifacts/<target>/.  The exit code is non-zero when any
# target found one.
set -uo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for target in fuzz_macro fuzz_evaluate fuzz_ini fuzz_patterns fuzz_bmp; do
  binary=$build_dir/fuzz/$target
  if [[ ! -x $binary ]]; then
    echo "$target: not built ($binary missing)" >&2
    failed=1
    continue
  fi
  corpus=$work/$target
  artifacts=$build_dir/fuzz-artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  cp "$here/corpus/$target/"* "$corpus/"
  echo "== $target: $seconds s"
  "$binary" "$corpus" \
    -dict="$here/$target.dict" \
    -max_total_time="$seconds" \
    -timeout=60 \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$artifacts/" \
    >"$work/$target.log" 2>&1
  status=$?
  grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb|INFO: Loaded)' "$work/$target.log" || true
  if [[ $status -ne 0 ]]; then
    echo "$target: FAILED (exit code $status); the report:" >&2
    grep -v -E '^#[0-9]+ ' "$work/$target.log" | tail -80 >&2
    ls -l "$artifacts" >&2
    failed=1
  else
    echo "$target: no crash in $(ls "$corpus" | wc -l) corpus inputs"
  fi
done
exit $failed
