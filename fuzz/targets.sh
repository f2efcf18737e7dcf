# What fuzz/run.sh and fuzz/campaign.sh share; sourced, not run.

# Every fuzz target, in the order CI runs them.
FUZZ_TARGETS=(fuzz_macro fuzz_evaluate fuzz_ini fuzz_patterns fuzz_bmp fuzz_shell fuzz_desktop)

# The committed inputs of target $2 under fuzz folder $1, one path a line:
# its corpus, then the inputs that once found a fault.
committed_inputs() {
  local fuzz_dir=$1 target=$2 folder
  for folder in "$fuzz_dir/corpus/$target" "$fuzz_dir/regressions/$target"; do
    [[ -d $folder ]] && find "$folder" -maxdepth 1 -type f | sort
  done
}
