#!/bin/sh
# Runs every built fuzz harness for a bounded time.
#   fuzz/run.sh BUILD_DIR [SECONDS] [HARNESS...]
# Seeds: fuzz/corpus/<group>/ and, when present, the shared real and peer data files.
# New inputs go to BUILD_DIR/fuzz-work/<harness>/, findings to BUILD_DIR/fuzz-artifacts/.
# A crash, sanitizer report, hang (over 10 s for one input) or memory use over 2 GB makes
# the run fail; the log tail is shown.
set -u
build=$(cd "${1:?build dir}" && pwd) || exit 1  # absolute: a harness may change folder
secs=${2:-60}
if [ $# -ge 2 ]; then shift 2; else shift $#; fi
repo=$(cd "$(dirname "$0")/.." && pwd)
shared=${RINGDATE_SHARED_DATA:-$repo/../shared/data}

harnesses=${*:-"layout_fuzz datr_fuzz trread_mr_fuzz trread_ir_fuzz trread_cr_fuzz trread_cd_fuzz heidelberg_fuzz dialogue_fuzz date_fuzz check_fuzz convert_fuzz"}
failed=""
ran=0
for h in $harnesses; do
  bin=$build/fuzz/$h
  if [ ! -x "$bin" ]; then echo "== $h: not built, skipped"; continue; fi
  case $h in
    layout_fuzz) group=layout; maxlen=4096; seeds="";;
    datr_fuzz) group=datr; maxlen=16384; seeds="$shared/peer $shared/real";;
    trread_*) group=trread; maxlen=16384; seeds="$shared/real $shared/peer";;
    heidelberg_fuzz) group=heidelberg; maxlen=16384; seeds="$shared/peer/heidelberg";;
    dialogue_fuzz) group=dialogue; maxlen=4096; seeds="";;
    date_fuzz) group=date; maxlen=8192; seeds="";;
    check_fuzz) group=check; maxlen=32768; seeds="$shared/real";;
    convert_fuzz) group=convert; maxlen=32768; seeds="$shared/real $shared/peer $shared/peer/heidelberg";;
    *) group=$h; maxlen=65536; seeds="";;
  esac
  work=$build/fuzz-work/$h
  art=$build/fuzz-artifacts/$h
  log=$build/fuzz-logs/$h.log
  mkdir -p "$work" "$art" "$(dirname "$log")"
  dirs="$work"
  [ -d "$repo/fuzz/corpus/$group" ] && dirs="$dirs $repo/fuzz/corpus/$group"
  for s in $seeds; do [ -d "$s" ] && dirs="$dirs $s"; done
  echo "== $h: ${secs}s, seeds: $dirs"
  # shellcheck disable=SC2086
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$bin" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len="$maxlen" \
      -artifact_prefix="$art/" -print_final_stats=1 $dirs >"$log" 2>&1
  rc=$?
  ran=$((ran + 1))
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov: .*ft:' "$log" | tail -n 3 | sed 's/^/   /'
  if [ $rc -ne 0 ]; then
    echo "   FAILED (status $rc); log $log; artifacts in $art:"
    ls "$art" | sed 's/^/     /'
    grep -E 'ERROR:|SUMMARY:|runtime error|Test unit written|deadly signal|timeout|out-of-memory' "$log" | head -n 20 | sed 's/^/   /'
    failed="$failed $h"
  fi
done
echo "== fuzz: $ran harnesses run"
if [ -n "$failed" ]; then
  echo "== fuzz FAILED:$failed"
  exit 1
fi
