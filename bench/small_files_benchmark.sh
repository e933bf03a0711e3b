#!/usr/bin/env bash
# Many small files: peak memory and time of Silent runs of packages whose payload is nothing but
# small files (100 to 1100 bytes, 250 to a folder), at several file counts. Memory that grows with
# every extracted file shows here long before it shows in a payload of large files.
# For each count and round: wall time and the package process' peak resident size (maximum
# resident set size from /usr/bin/time -v on the wine process, which is the package process), the
# extracted tree compared with the payload. With BASELINE_PROGRAM, a package of that program on the
# same cabinet runs beside the current one in every round, the two in alternating order (the
# machine is shared: neither always runs first).
# Figures only: nothing here passes or fails on time or memory. The exit status is non-zero only
# when a run fails or its tree differs from the payload.
#
#   bench/small_files_benchmark.sh [BUILD_DIR]    (default: build)
# Settings: COUNTS (file counts, default "1000 10000 50000"), RUNS (rounds, 2), SETTLE (seconds a
#           run waits after an extracted tree was removed, 35: see extract_benchmark.sh),
#           WINE_TIMEOUT (seconds a run may take, 1800), BASELINE_PROGRAM (another build of the
#           program, for example that of an earlier commit), RAM_TARGET=1 (extract onto a tmpfs
#           mounted below C: for the run, needs the right to mount: the file system's own cost of
#           creating files, which varies much from run to run on a disk, is then the same for every
#           run, so the programs' own differences show; SETTLE is then 0 unless given).
# Builds what it needs in BUILD_DIR like extract_benchmark.sh and measures the same build (the
# x86_64 one on a host that cannot run 32-bit programs, or with TRESK_WIN64=1). Everything
# generated lies in the prefix's C: drive (C:\tresk_small_bench) and is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
source scripts/lib/wineway.sh
tresk_choose_way
BUILD="${1:-${TRESK_BUILD_DIR:-build}}"
COUNTS=${COUNTS:-"1000 10000 50000"}
RUNS=${RUNS:-2}
SETTLE_GIVEN=${SETTLE:-}
SETTLE=${SETTLE:-35}
WINE_TIMEOUT=${WINE_TIMEOUT:-1800}
BASELINE_PROGRAM=${BASELINE_PROGRAM:-}
if [ -n "$BASELINE_PROGRAM" ] && [ ! -f "$BASELINE_PROGRAM" ]; then
  echo "small_files_benchmark: BASELINE_PROGRAM $BASELINE_PROGRAM does not exist" >&2
  exit 2
fi
for tool in /usr/bin/time sha1sum wine wineserver cmake timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "small_files_benchmark: $tool is missing" >&2
    exit 2
  fi
done

mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
quietly() {
  local output status=0
  output=$("$@" 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "$output" | tail -30 >&2
    echo "small_files_benchmark: failed: $*" >&2
    exit 2
  fi
}
echo "Building the packager, cab_bench and the program in $BUILD ..."
quietly cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Release
quietly cmake --build "$BUILD/native" --target TreskPack cab_bench
quietly scripts/wineprefix "$BUILD"
tresk_wine_env "$BUILD"
quietly tresk_configure_windows "$BUILD" "$TRESK_WIN_TREE" "$TRESK_TOOLCHAIN"
quietly cmake --build "$BUILD/$TRESK_WIN_TREE" --target TreskSelfExtractorUI

PACK="$BUILD/native/Src/TreskPack/TreskPack"
BENCH="$BUILD/native/bench/cab_bench"
PROGRAM="$BUILD/$TRESK_WIN_TREE/Src/TreskSelfExtractorUI/TreskSelfExtractorUI.exe"
echo "Measuring $( [ "$TRESK_WAY" = 64 ] && echo "the x86_64 build under the 64-bit Wine loader" ||
  echo "the i686 build under the 32-bit Wine loader") ($TRESK_WAY_LINE)"
PACKAGE_NAME=TreskSmallBench.exe
LOG_NAME="Tresk Small Bench"
LOG_DIR="$WINEPREFIX/drive_c/ProgramData/Velmora/Automation/Logfiles"
WORK="$WINEPREFIX/drive_c/tresk_small_bench"
OUT="$WORK/out"
OUT_WINDOWS='C:\tresk_small_bench\out'
RAM_TARGET=${RAM_TARGET:-0}
RAM_MOUNTED=0

now() { echo "$EPOCHREALTIME"; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
sha1_list() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha1sum); }

# A file system without a journal hands out freed inodes again only after some time, which makes
# creating thousands of files right after removing thousands slower by chance: each run waits.
REMOVED_AT=0
remove_tree() {
  rm -rf "$@"
  REMOVED_AT=$EPOCHSECONDS
}
settle() {
  local left=$(( REMOVED_AT + SETTLE - EPOCHSECONDS ))
  if [ "$left" -gt 0 ]; then sleep "$left"; fi
}

STARTED_SERVER=0
cleanup() {
  if [ "$RAM_MOUNTED" = 1 ]; then umount "$WORK/ram" || true; fi
  rm -rf "$WORK"
  rm -f "$LOG_DIR/$LOG_NAME".log "$LOG_DIR/$LOG_NAME"_*.log
  if [ "$STARTED_SERVER" = 1 ]; then wineserver -k 2>/dev/null || true; fi
}
trap cleanup EXIT

remove_tree "$WORK"
mkdir -p "$WORK/settings"
if [ "$RAM_TARGET" = 1 ]; then
  mkdir -p "$WORK/ram"
  if mount -t tmpfs -o size=2g tmpfs "$WORK/ram"; then
    RAM_MOUNTED=1
    OUT="$WORK/ram/out"
    OUT_WINDOWS='C:\tresk_small_bench\ram\out'
    SETTLE=${SETTLE_GIVEN:-0}
    echo "Extracting onto a tmpfs ($WORK/ram)"
  else
    echo "small_files_benchmark: cannot mount a tmpfs; extracting onto the disk" >&2
  fi
fi
cat >"$WORK/settings/Properties_Qirva.ini" <<'EOF'
; Settings of the small-files benchmark package: the payload only, nothing launched afterwards.
[Package]
Name=Tresk Small Bench
NameDispl=Tresk Small Bench
VersionString=V1.0.0.0
[Runtime]
ExtractPath=%TEMP%\Tresk Small Bench
[LogFiles]
ExtractLogFileName=Tresk Small Bench.log
[OS]
osallowed=Windows7;Windows764;Windows10;Windows1064;Windows201664
EOF

programs=(current)
[ -n "$BASELINE_PROGRAM" ] && programs=(baseline current)
for count in $COUNTS; do
  echo "Generating $count small files and their packages ..."
  "$BENCH" small "$WORK/payload$count" "$count"
  sha1_list "$WORK/payload$count" >"$WORK/payload$count.sha1"
  for program in "${programs[@]}"; do
    binary=$PROGRAM
    [ "$program" = baseline ] && binary=$BASELINE_PROGRAM
    mkdir -p "$WORK/$program$count"
    quietly "$PACK" build --program "$binary" --settings "$WORK/settings/Properties_Qirva.ini" \
      --payload "$WORK/payload$count" --output "$WORK/$program$count/$PACKAGE_NAME" --set-id 4711
  done
done

# One wineserver for all runs, as the tests have; one that already serves this prefix is used and
# left running.
server_runs() {
  local dir
  for dir in /proc/[0-9]*; do
    case $(cat "$dir/comm" 2>/dev/null) in wineserver*) ;; *) continue ;; esac
    grep -qxzF "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null && return 0
  done
  return 1
}
if ! server_runs; then
  wineserver -p
  STARTED_SERVER=1
fi
wine cmd /c exit >/dev/null 2>&1 || true

failures=0
ROWS=()
run_one() {  # $1: count, $2: program (current or baseline), $3: round
  local count=$1 program=$2 round=$3 log="$LOG_DIR/$LOG_NAME.log" start end wall rss rc=0 note=ok
  rm -f "$log" "$LOG_DIR/$LOG_NAME"_*.log
  remove_tree "$OUT"
  cat "$WORK/$program$count/$PACKAGE_NAME" >/dev/null
  sync
  settle
  start=$(now)
  /usr/bin/time -v -o "$WORK/run.time" timeout --kill-after=10 "$WINE_TIMEOUT" \
    wine "$WORK/$program$count/$PACKAGE_NAME" -silent "-extractpath=$OUT_WINDOWS" >/dev/null 2>&1 || rc=$?
  end=$(now)
  wall=$(seconds "$start" "$end")
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/run.time")
  if [ "$rc" != 0 ] || ! grep -q "Return Code for cab extraction : 0" "$log"; then
    note="RUN FAILED (exit $rc)"
    failures=$((failures + 1))
  elif ! sha1_list "$OUT" | cmp -s - "$WORK/payload$count.sha1"; then
    note="TREE DIFFERS"
    failures=$((failures + 1))
  fi
  ROWS+=("$(printf '%8s  %-9s %5s  %8s  %10s  %s' "$count" "$program" "$round" "$wall" "$(mib "$rss")" "$note")")
  echo "  ${ROWS[-1]}"
  remove_tree "$OUT"
}

for round in $(seq "$RUNS"); do
  for count in $COUNTS; do
    order=("${programs[@]}")
    # Alternate which program goes first.
    if [ "${#programs[@]}" = 2 ] && [ $((round % 2)) = 0 ]; then order=(current baseline); fi
    for program in "${order[@]}"; do
      echo "Round $round, $count files, $program program ..."
      run_one "$count" "$program" "$round"
    done
  done
done

echo
printf '%8s  %-9s %5s  %8s  %10s  %s\n' "files" "program" "round" "wall s" "peak MiB" "result"
for row in "${ROWS[@]}"; do echo "$row"; done
exit $(( failures > 0 ? 1 : 0 ))
