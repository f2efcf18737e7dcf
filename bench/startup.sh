#!/usr/bin/env bash
# Start-up time and memory of the native program, and the size of the
# Windows program.
#
#   bench/startup.sh BUILD_DIR [PATH/TO/Vendrix.exe]
#
# BUILD_DIR holds the native `vendrix` (for example build/linux).  Prints:
#   - the median wall time of 50 runs of a one-line macro in file mode;
#   - the peak memory (max RSS) of a run of a loop of a million passes;
#   - the size of Vendrix.exe after stripping, when its path is given.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 BUILD_DIR [PATH/TO/Vendrix.exe]" >&2
  exit 2
fi
build_dir=$1
exe=${2:-}
if [[ -n $exe && -f $exe ]]; then exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe"); fi
vendrix=$build_dir/vendrix
if [[ ! -x $vendrix ]]; then
  echo "no program at $vendrix" >&2
  exit 1
fi
vendrix=$(cd "$(dirname "$vendrix")" && pwd)/vendrix

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
printf '[Options]\r\n' >"$home/Vendrix.INI"
printf '[Options]\r\n' >"$home/Zemlo.INI"
# File names on the command line are upper-cased, so the files are too.
printf 'SET %%0 1\r\n' >"$home/ONE.MAC"
printf 'DIM %%i %%n %%s\r\nFOR %%i=1 TO 1000000\r\nINC %%n 2\r\nIF (> %%n 100) SET %%n 0\r\nSET %%s (len abc)\r\nNEXT\r\n' \
  >"$home/LOOP.MAC"
cd "$home"

run() { "$vendrix" --home="$home" "-FILE=$1" >/dev/null 2>&1; }

# ---- start-up: median of 50 runs -------------------------------------------
if ! run ONE.MAC; then
  echo "the one-line macro did not run (exit code $?)" >&2
  exit 1
fi
times=()
for _ in $(seq 50); do
  start=$EPOCHREALTIME
  run ONE.MAC
  end=$EPOCHREALTIME
  # microseconds, without forking a calculator per run
  times+=($(( (${end/./} - ${start/./}) )))
done
median_us=$(printf '%s\n' "${times[@]}" | sort -n | sed -n '25p;26p' | awk '{s+=$1} END {printf "%d", s/2}')
min_us=$(printf '%s\n' "${times[@]}" | sort -n | head -1)
printf 'start-up (one-line macro, 50 runs): median %d.%03d ms, fastest %d.%03d ms\n' \
  $((median_us / 1000)) $((median_us % 1000)) $((min_us / 1000)) $((min_us % 1000))

# ---- peak memory of the loop macro ----------------------------------------
peak_kb=
if /usr/bin/time -f %M true >/dev/null 2>&1; then
  /usr/bin/time -o "$home/rss.txt" -f %M "$vendrix" --home="$home" -FILE=LOOP.MAC >/dev/null 2>&1 || true
  peak_kb=$(tail -1 "$home/rss.txt")
elif command -v python3 >/dev/null; then
  peak_kb=$(python3 - "$vendrix" "$home" <<'EOF'
import resource, subprocess, sys
subprocess.run([sys.argv[1], "--home=" + sys.argv[2], "-FILE=LOOP.MAC"],
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
)
fi
if [[ -n $peak_kb ]]; then
  echo "peak memory (loop of 1,000,000 passes): $peak_kb KiB max RSS"
else
  echo "peak memory: neither /usr/bin/time nor python3 is available"
fi
loop_start=$EPOCHREALTIME
run LOOP.MAC
loop_end=$EPOCHREALTIME
loop_us=$(( ${loop_end/./} - ${loop_start/./} ))
printf 'loop macro wall time: %d.%03d ms\n' $((loop_us / 1000)) $((loop_us % 1000))

# ---- size of the Windows program --------------------------------------------
if [[ -n $exe ]]; then
  if [[ ! -f $exe ]]; then
    echo "no file at $exe" >&2
    exit 1
  fi
  stripped=$home/stripped.exe
  done_strip=
  for tool in x86_64-w64-mingw32-strip i686-w64-mingw32-strip strip; do
    if command -v "$tool" >/dev/null && "$tool" -o "$stripped" "$exe" 2>/dev/null; then
      done_strip=$tool
      break
    fi
  done
  if [[ -n $done_strip ]]; then
    echo "Vendrix.exe stripped: $(stat -c %s "$stripped") bytes (as built: $(stat -c %s "$exe") bytes)"
  else
    echo "Vendrix.exe: $(stat -c %s "$exe") bytes (no strip tool could read it)"
  fi
fi
