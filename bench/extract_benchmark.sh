#!/usr/bin/env bash
# Extraction benchmark: builds a generated payload of at least 1 GiB (several thousand files of text,
# structured binary and random data) into a single-file package and into a multi-part package, runs
# both silently under Wine, and measures beside them in the same run, on the same cabinets:
#   - the floor: cab_floor (bench/floor), the system's cabinet library driven the plainest way under
#     Wine (one FDICopy per cabinet, direct writes, no logging), once writing the tree and once
#     writing every file to the null device (inflating alone); the program's runs are compared
#     with the floor that writes,
#   - cabextract (on copies of the cabinets with the standard signature restored),
#   - the raw cost: cab_bench extract (the packager's own reader: inflating plus writing the tree),
#     cp -r of the payload tree (writing the tree alone) and cp of the attached cabinet (the extra
#     copy a single-file package makes before it extracts),
#   - sha1sum over the part files, next to the program's own part validation (SHA-1 through the
#     system's crypto provider).
# For each: wall time, MB/s and peak memory (maximum resident set size from /usr/bin/time -v). The
# package process is the wine process itself; wineserver and the prefix's service processes are
# separate, so the Wine runs also sample every process of the prefix (sum of RSS and PSS).
# Every extracted tree is compared with the payload (SHA-1 list of every file).
# Figures only: nothing here passes or fails on time. The exit status is non-zero only when an
# extraction fails or its result differs from the payload.
#
#   bench/extract_benchmark.sh [BUILD_DIR]    (default: build)
# Builds what it needs in BUILD_DIR (native packager and cab_bench, the cross-built program, the
# Wine prefix). On a host that cannot run 32-bit programs (or with TRESK_WIN64=1) it measures the
# x86_64 build under the 64-bit loader (scripts/lib/wineway.sh) and says so. Everything generated lies in the prefix's C: drive
# (C:\tresk_extract_bench) and is removed afterwards, the package logs with it.
# Settings: PAYLOAD_MIB (default 1100), PAYLOAD_FILES (4000), PART_MIB (200), LEVEL (6),
#           WINE_TIMEOUT (seconds a package run may take, 1800), RUNS (rounds of the package runs
#           and the floor runs beside them, 2; the figures are noisy on a shared machine),
#           SETTLE (seconds a step waits after an extracted tree was removed, 35),
#           PAYLOAD_DIR (a payload folder to use instead of generating one; hard-linked when it
#           lies on the same file system),
#           BASELINE_PROGRAM (another build of the program, for example that of an earlier commit:
#           packages are built with it too and run in every round beside the current program, so
#           the two are compared on the same cabinets against the same floor runs).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
source scripts/lib/wineway.sh
tresk_choose_way
BUILD="${1:-${TRESK_BUILD_DIR:-build}}"
PAYLOAD_MIB=${PAYLOAD_MIB:-1100}
PAYLOAD_FILES=${PAYLOAD_FILES:-4000}
PART_MIB=${PART_MIB:-200}
LEVEL=${LEVEL:-6}
WINE_TIMEOUT=${WINE_TIMEOUT:-1800}
RUNS=${RUNS:-2}
SETTLE=${SETTLE:-35}
PAYLOAD_DIR=${PAYLOAD_DIR:-}
BASELINE_PROGRAM=${BASELINE_PROGRAM:-}
if [ -n "$BASELINE_PROGRAM" ] && [ ! -f "$BASELINE_PROGRAM" ]; then
  echo "extract_benchmark: BASELINE_PROGRAM $BASELINE_PROGRAM does not exist" >&2
  exit 2
fi

if [ ! -x /usr/bin/time ]; then
  echo "extract_benchmark: /usr/bin/time is missing (Debian package: time)" >&2
  exit 2
fi
for tool in cabextract sha1sum wine wineserver cmake df timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "extract_benchmark: $tool is missing" >&2
    exit 2
  fi
done

mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
# Quiet unless a step fails; then the end of its output.
quietly() {
  local output status=0
  output=$("$@" 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "$output" | tail -30 >&2
    echo "extract_benchmark: failed: $*" >&2
    exit 2
  fi
}
echo "Building the packager, cab_bench, the program and cab_floor in $BUILD ..."
quietly cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Release
quietly cmake --build "$BUILD/native" --target TreskPack cab_bench
quietly scripts/wineprefix "$BUILD"
tresk_wine_env "$BUILD"
quietly tresk_configure_windows "$BUILD" "$TRESK_WIN_TREE" "$TRESK_TOOLCHAIN"
quietly cmake --build "$BUILD/$TRESK_WIN_TREE" --target TreskSelfExtractorUI cab_floor

PACK="$BUILD/native/Src/TreskPack/TreskPack"
BENCH="$BUILD/native/bench/cab_bench"
PROGRAM="$BUILD/$TRESK_WIN_TREE/Src/TreskSelfExtractorUI/TreskSelfExtractorUI.exe"
FLOOR="$BUILD/$TRESK_WIN_TREE/bench/cab_floor.exe"
if [ "$TRESK_WAY" = 64 ]; then
  MEASURED_BUILD="the x86_64 build under the 64-bit Wine loader"
else
  MEASURED_BUILD="the i686 build (the program that ships) under the 32-bit Wine loader"
fi
echo "Measuring $MEASURED_BUILD ($TRESK_WAY_LINE)"
SUPPORT="$ROOT/examples/ExampleProduct/support"
PACKAGE_NAME=TreskBench.exe
LOG_NAME="Tresk Bench"
LOG_DIR="$WINEPREFIX/drive_c/ProgramData/Velmora/Automation/Logfiles"
WORK="$WINEPREFIX/drive_c/tresk_extract_bench"
OUT="$WORK/out"
OUT_WINDOWS='C:\tresk_extract_bench\out'

# Payload, two packages (compressed, at most the payload's size each), the cabinet copies for
# cabextract, one extracted tree with the program's temporary cabinet copy, and some slack.
need_kib=$(( PAYLOAD_MIB * 1024 * 6 + 1024 * 1024 ))
free_kib=$(df -Pk "$WINEPREFIX/drive_c" | awk 'NR == 2 { print $4 }')
echo "Free space: $((free_kib / 1024)) MiB on $(df -P "$WINEPREFIX/drive_c" | awk 'NR == 2 { print $6 }')," \
     "$((need_kib / 1024)) MiB needed at most"
if [ "$free_kib" -lt "$need_kib" ]; then
  echo "extract_benchmark: not enough free space for $PAYLOAD_MIB MiB of payload" >&2
  exit 2
fi

# ---- helpers ------------------------------------------------------------------------------------

now() { echo "$EPOCHREALTIME"; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.1f", b / 1e6 / s; else print "-" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
tree_bytes() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s }'; }
# CPU seconds all processors have spent busy since boot (idle, waiting for I/O and stolen time excluded).
busy_seconds() {
  awk -v tick="$(getconf CLK_TCK)" '$1 == "cpu" { printf "%.2f", ($2 + $3 + $4 + $7 + $8) / tick }' /proc/stat
}

# SHA-1 of every file under a folder, by relative path: equal lists mean equal trees.
sha1_list() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha1sum); }

failures=0
check_tree() {  # $1: extracted folder, $2: what it was
  if sha1_list "$1" | cmp -s - "$WORK/payload.sha1"; then
    echo "  extracted tree equals the payload"
  else
    echo "  EXTRACTED TREE DIFFERS from the payload ($2)" >&2
    failures=$((failures + 1))
  fi
}

# Removes an extracted tree. A file system without a journal (as ext4 may be mounted) does not hand
# out an inode again until about 30 s (the dirty-expiry time) after it was freed: it scans past the
# recently freed ones, so creating thousands of files right after thousands were deleted costs
# several times more, and by chance. Each measurement waits for that time to pass (settle).
REMOVED_AT=0
remove_tree() {
  rm -rf "$@"
  REMOVED_AT=$EPOCHSECONDS
}
settle() {
  local left=$(( REMOVED_AT + SETTLE - EPOCHSECONDS ))
  if [ "$left" -gt 0 ]; then sleep "$left"; fi
}

# Runs a command under /usr/bin/time -v after writing back what earlier steps left in the page cache.
# Sets WALL (s), RSS_KIB, USER_S, SYS_S, RC, RUN_START and BUSY_S (CPU seconds of the whole machine
# during the step).
measure() {  # $1: name for the output files, then the command
  local name=$1 end busy_before
  shift
  sync
  settle
  busy_before=$(busy_seconds)
  RUN_START=$(now)
  set +e
  /usr/bin/time -v -o "$WORK/$name.time" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  RC=$?
  set -e
  end=$(now)
  BUSY_S=$(seconds "$busy_before" "$(busy_seconds)")
  WALL=$(seconds "$RUN_START" "$end")
  RSS_KIB=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/$name.time")
  USER_S=$(awk -F': ' '/User time \(seconds\)/ { print $2 }' "$WORK/$name.time")
  SYS_S=$(awk -F': ' '/System time \(seconds\)/ { print $2 }' "$WORK/$name.time")
}

# CPU seconds that other processes of the machine used during the step: the machine's busy time
# less the step's own (the command, and for the Wine runs wineserver and the sampler: OWN_EXTRA_S).
OWN_EXTRA_S=0
others_cpu() {
  awk -v b="$BUSY_S" -v u="$USER_S" -v s="$SYS_S" -v e="$OWN_EXTRA_S" \
    'BEGIN { o = b - u - s - e; printf "%.1f", o < 0 ? 0 : o }'
}
ROWS=()
row() {  # step, wall s, MB/s, peak RSS MiB, note[, other CPU s]
  ROWS+=("$(printf '%-44s %8s %9s %10s %7s  %s' "$1" "$2" "$3" "$4" "${6-$(others_cpu)}" "$5")")
}

# The processes of this prefix: comm names of Wine processes, confirmed by their WINEPREFIX.
declare -A PREFIX_PID=()
is_prefix_process() {  # $1: /proc/PID; sets COMM
  COMM=""
  read -r COMM 2>/dev/null <"$1/comm" || return 1
  case $COMM in
    *.exe | wineserver* | wine* | *preloader*) ;;
    *) return 1 ;;
  esac
  local key="${1#/proc/}:$COMM"
  if [ -z "${PREFIX_PID[$key]+set}" ]; then
    if grep -qxzF "WINEPREFIX=$WINEPREFIX" "$1/environ" 2>/dev/null; then PREFIX_PID[$key]=1; else PREFIX_PID[$key]=0; fi
  fi
  [ "${PREFIX_PID[$key]}" = 1 ]
}

server_pid() {
  local dir
  for dir in /proc/[0-9]*; do
    if is_prefix_process "$dir" && [[ $COMM == wineserver* ]]; then
      echo "${dir#/proc/}"
      return 0
    fi
  done
  return 1
}

cpu_seconds() {  # user + system time of a running process; with "all" that of its waited-for children too
  awk -v tick="$(getconf CLK_TCK)" -v all="${2-}" \
    '{ sub(/^.*\) /, ""); t = $12 + $13; if (all != "") t += $14 + $15; printf "%.2f", t / tick }' \
    "/proc/$1/stat" 2>/dev/null || echo 0
}

# Until the file $1 exists, and once more then: every 0.1 s the time and the lines in the log $2,
# every 0.5 s also the memory (KiB) of the prefix's processes: sum of RSS, sum of PSS (every 2 s:
# it is costly to read), wineserver's RSS, the package process' RSS and peak. The prefix's processes
# are looked up every 2 s. Values are carried forward in between. The sampler shares the machine
# with the run it watches (and the floor runs have none), so it reads as little as it can: its own
# CPU time is printed with each run.
sampler() {
  local stop=$1 log=$2 dir key value lines=0 r p tick=0 last=0 timer logfd="" page_kib i
  local rss=0 pss=0 pss_sum=0 server=0 program=0 peak=0
  local -a dirs=() comms=()
  page_kib=$(( $(getconf PAGESIZE) / 1024 ))
  exec {timer}<> <(:)  # a pipe nobody writes to: read -t on it waits without a sleep process
  while [ "$last" = 0 ]; do
    if [ -e "$stop" ]; then last=1; fi
    # The log is counted as it grows, through one descriptor: a line is counted once it is complete.
    if [ -z "$logfd" ] && [ -f "$log" ]; then exec {logfd}<"$log" || logfd=""; fi
    if [ -n "$logfd" ]; then
      while IFS= read -r -u "$logfd" _; do lines=$((lines + 1)); done
    fi
    if [ $((tick % 20)) = 0 ] || [ "$last" = 1 ]; then
      dirs=() comms=()
      for dir in /proc/[0-9]*; do
        if is_prefix_process "$dir"; then dirs+=("$dir"); comms+=("$COMM"); fi
      done
    fi
    if [ $((tick % 5)) = 0 ] || [ "$last" = 1 ]; then
      rss=0 pss_sum=0 server=0 program=0
      for i in "${!dirs[@]}"; do
        dir=${dirs[$i]} COMM=${comms[$i]}
        r=0
        read -r _ r _ 2>/dev/null <"$dir/statm" || true
        r=$((r * page_kib))
        rss=$((rss + r))
        if [[ $COMM == wineserver* ]]; then server=$r; fi
        if [ "$COMM" = "$PACKAGE_NAME" ]; then
          program=$r
          while read -r key value _; do
            if [ "$key" = VmHWM: ]; then peak=$value; break; fi
          done 2>/dev/null <"$dir/status" || true
        fi
        if [ $((tick % 20)) = 0 ] || [ "$last" = 1 ]; then
          p=0
          while read -r key value _; do
            if [ "$key" = Pss: ]; then p=$value; break; fi
          done 2>/dev/null <"$dir/smaps_rollup" || true
          pss_sum=$((pss_sum + p))
        fi
      done
      if [ $((tick % 20)) = 0 ] || [ "$last" = 1 ]; then pss=$pss_sum; fi
    fi
    echo "$EPOCHREALTIME $lines $rss $pss $server $program $peak"
    tick=$((tick + 1))
    if [ "$last" = 0 ]; then read -r -t 0.1 -u "$timer" _ || true; fi
  done
  exec {timer}<&-
  if [ -n "$logfd" ]; then exec {logfd}<&-; fi
}

SAMPLER_PID=""
STARTED_SERVER=0
# Where the program may put its temporary folder: the fixed drives' temporary folders and roots.
TEMP_DIRS=("$WINEPREFIX/smalldrive" "$WINEPREFIX/drive_c" "$WINEPREFIX/drive_c/users/$(id -un)/Temp"
           "$WINEPREFIX/drive_c/windows/temp")
temp_entries() {
  local dir
  for dir in "${TEMP_DIRS[@]}"; do
    if [ -d "$dir" ]; then find "$dir" -mindepth 1 -maxdepth 1 -name '{*}' 2>/dev/null; fi
  done | LC_ALL=C sort
}
cleanup() {
  if [ -n "$SAMPLER_PID" ]; then
    kill "$SAMPLER_PID" 2>/dev/null || true
    wait "$SAMPLER_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
  rm -f "$LOG_DIR/$LOG_NAME".log "$LOG_DIR/$LOG_NAME"_*.log
  if [ "$STARTED_SERVER" = 1 ]; then wineserver -k 2>/dev/null || true; fi
  echo "Cleaned up. $(df -h "$WINEPREFIX/drive_c" | awk 'NR == 2 { print "Free: " $4 " on " $6 }')"
}
trap cleanup EXIT

# ---- payload and packages -----------------------------------------------------------------------

remove_tree "$WORK"
mkdir -p "$WORK/settings" "$WORK/cabextract-set"
if [ -n "$PAYLOAD_DIR" ]; then
  echo "Using the payload in $PAYLOAD_DIR ..."
  cp -al "$PAYLOAD_DIR" "$WORK/payload" 2>/dev/null || { rm -rf "$WORK/payload"; cp -r "$PAYLOAD_DIR" "$WORK/payload"; }
else
  echo "Generating $PAYLOAD_MIB MiB in $PAYLOAD_FILES files ..."
  "$BENCH" generate "$WORK/payload" "$PAYLOAD_MIB" "$PAYLOAD_FILES"
fi
payload_bytes=$(tree_bytes "$WORK/payload")
file_count=$(find "$WORK/payload" -type f | wc -l)
sha1_list "$WORK/payload" >"$WORK/payload.sha1"

cat >"$WORK/settings/Properties_Qirva.ini" <<'EOF'
; Settings of the extraction benchmark package: the payload only, nothing launched afterwards.
[Package]
Name=Tresk Bench
NameDispl=Tresk Bench
VersionString=V1.0.0.0
PackageFileName=TreskBench.exe
SetupType=Plus
CheckOs=0

[Runtime]
AllowChangeTarget=1
ExtractPath=%TEMP%\Tresk Bench
CheckAdmin=0
ExtractPathMaxLength=120
DisplayWelcomeImage=0

[Images]
TopImage=TopImage.png
BottomImage=BottomImage.png

[Languages]
SetupLanguages=1031;1033;

[LogFiles]
ExtractLogFileName=Tresk Bench.log

[LicenseFiles]
1033=License1033.txt
1031=License1031.txt

[OS]
osallowed=Windows7;Windows764;Windows10;Windows1064;Windows201664

[Qirva]
FrameVersion=01.00.00.00
EOF

build_package() {  # $1: folder, then extra options (PACKAGE_PROGRAM: the program to pack, default $PROGRAM)
  local folder=$1 start
  shift
  start=$(now)
  "$PACK" build --program "${PACKAGE_PROGRAM:-$PROGRAM}" --settings "$WORK/settings/Properties_Qirva.ini" --support "$SUPPORT" \
    --payload "$WORK/payload" --output "$WORK/$folder/$PACKAGE_NAME" --set-id 4711 --level "$LEVEL" "$@" \
    >"$WORK/$folder.build" 2>&1
  echo "  built in $(seconds "$start" "$(now)") s"
}
echo "Building the single-file package ..."
build_package single
echo "Building the multi-part package ($PART_MIB MiB parts) ..."
build_package multi --part-size "${PART_MIB}M"
if [ -n "$BASELINE_PROGRAM" ]; then
  echo "Building both packages once more with the baseline program $BASELINE_PROGRAM ..."
  PACKAGE_PROGRAM=$BASELINE_PROGRAM build_package single-baseline
  PACKAGE_PROGRAM=$BASELINE_PROGRAM build_package multi-baseline --part-size "${PART_MIB}M"
fi
PARTS=("$WORK"/multi/"${PACKAGE_NAME%.exe}".[0-9][0-9][0-9])
if [ -n "$BASELINE_PROGRAM" ]; then
  # The two programs must meet the same cabinets.
  for part in "${PARTS[@]}"; do
    if ! cmp -s "$part" "$WORK/multi-baseline/$(basename "$part")"; then
      echo "extract_benchmark: the baseline's parts differ from the current ones ($(basename "$part"))" >&2
      exit 1
    fi
  done
fi
parts_bytes=$(cat "${PARTS[@]}" | wc -c)
single_size=$(stat -c %s "$WORK/single/$PACKAGE_NAME")
# The attached cabinet is the container's last entry: the last bytes of the package file.
cab_size=$("$PACK" verify "$WORK/single/$PACKAGE_NAME" | sed -n 's/^entry: WebCab1 (payload, \([0-9]*\) bytes)$/\1/p')
"$PACK" verify "$WORK/multi/$PACKAGE_NAME" >"$WORK/multi.verify" ||
  { echo "extract_benchmark: the multi-part package does not verify" >&2; cat "$WORK/multi.verify" >&2; exit 1; }
if [ -z "$cab_size" ]; then
  echo "extract_benchmark: no payload entry found in the single-file package" >&2
  exit 1
fi

# The attached cabinet on its own, for the floor, cab_bench and cabextract.
tail -c "$cab_size" "$WORK/single/$PACKAGE_NAME" >"$WORK/single.cab"

echo "Payload:       $payload_bytes bytes in $file_count files"
echo "Single file:   $single_size bytes (attached cabinet $cab_size bytes)"
echo "Multi-part:    ${#PARTS[@]} parts, $parts_bytes bytes"

# ---- the program under Wine ---------------------------------------------------------------------

# One wineserver for all package runs, its services started before the first measurement, as the
# tests do. A server some other run keeps for this prefix is used and left running.
if server_pid >/dev/null; then
  echo "A wineserver already runs for $WINEPREFIX: using it"
else
  wineserver -p
  STARTED_SERVER=1
fi
wine cmd /c exit >/dev/null 2>&1 || true
SERVER=$(server_pid || true)

measure wine-start wine cmd /c exit
row "Wine process start (cmd /c exit)" "$WALL" "-" "$(mib "$RSS_KIB")" "fixed cost inside each Wine run"

# Time stamp of a log line in seconds of the day (the log has 1 s resolution).
log_second() {  # $1: log, $2: line number
  sed -n "$2p" "$1" | awk -F'|' '{ split($1, t, ":"); print t[1] * 3600 + t[2] * 60 + t[3] }'
}
line_of() {  # $1: log, $2: fixed text; first line holding it
  grep -n -m1 -F -- "$2" "$1" | cut -d: -f1
}
# Seconds from the start of the run until the sampler saw the log reach line N.
seen_at() {  # $1: samples, $2: line number
  awk -v n="$2" -v s="$RUN_START" '$2 >= n { printf "%.2f", $1 - s; found = 1; exit }
                                   END { if (!found) print "-" }' "$1"
}
phase() {  # label, samples, log, first line, last line, bytes (or empty)
  local from to span stamp
  from=$(seen_at "$2" "$4")
  to=$(seen_at "$2" "$5")
  span=$(awk -v a="$from" -v b="$to" 'BEGIN { if (a == "-" || b == "-") print "-"; else printf "%.2f", b - a }')
  stamp=$(( $(log_second "$3" "$5") - $(log_second "$3" "$4") ))
  PHASE_SECONDS=$span
  printf '    %-38s %7s s  [log stamps: %s s]' "$1" "$span" "$stamp"
  if [ -n "$6" ] && [ "$span" != "-" ]; then printf '  %s MB/s' "$(mbps "$6" "$span")"; fi
  printf '\n'
}

PHASES=()
run_package() {  # $1: single or multi; $2: -baseline for the packages of BASELINE_PROGRAM
  local kind=$1 variant=${2-} log="$LOG_DIR/$LOG_NAME.log" samples="$WORK/$1${2-}.samples" server_before server_after
  local folder=$kind$variant
  local prefix_rss prefix_pss server_peak program_peak
  rm -f "$log" "$LOG_DIR/$LOG_NAME"_*.log
  remove_tree "$OUT"
  rm -rf "$WORK/sampler.stop"
  cat "$WORK/$folder"/* >/dev/null  # the package files come from the page cache, as for the other tools
  temp_entries >"$WORK/temp.before"
  server_before=$(cpu_seconds "$SERVER")
  sampler "$WORK/sampler.stop" "$log" >"$samples" &
  SAMPLER_PID=$!
  measure "wine-$folder" timeout --kill-after=10 "$WINE_TIMEOUT" wine "$WORK/$folder/$PACKAGE_NAME" -silent "-extractpath=$OUT_WINDOWS"
  local sampler_cpu
  sampler_cpu=$(cpu_seconds "$SAMPLER_PID" all)
  touch "$WORK/sampler.stop"
  wait "$SAMPLER_PID" || true
  SAMPLER_PID=""
  server_after=$(cpu_seconds "$SERVER")
  cp "$log" "$WORK/$folder.log" 2>/dev/null || touch "$WORK/$folder.log"
  log="$WORK/$folder.log"

  echo "  exit code (low 8 bits): $RC, $WALL s"
  # The program removes its temporary folder itself; one that appeared during the run and stayed
  # is reported and removed.
  local left
  for left in $(temp_entries | LC_ALL=C comm -13 "$WORK/temp.before" -); do
    echo "  the run left its temporary folder behind: $left ($(du -sh "$left" | cut -f1)); removed"
    rm -rf "$left"
  done
  local ok=1
  if [ "$RC" != 0 ] || ! grep -q "Return Code for cab extraction : 0" "$log"; then
    echo "  THE PACKAGE RUN FAILED; the end of its log:" >&2
    tail -20 "$log" >&2
    failures=$((failures + 1))
    ok=0
  else
    check_tree "$OUT" "Wine, $folder"
  fi

  prefix_rss=$(awk '$3 > m { m = $3 } END { print m + 0 }' "$samples")
  prefix_pss=$(awk '$4 > m { m = $4 } END { print m + 0 }' "$samples")
  server_peak=$(awk '$5 > m { m = $5 } END { print m + 0 }' "$samples")
  program_peak=$(awk '$7 > m { m = $7 } END { print m + 0 }' "$samples")
  OWN_EXTRA_S=$(awk -v a="$server_before" -v b="$server_after" -v c="$sampler_cpu" 'BEGIN { print b - a + c }')
  local which=""
  [ -n "$variant" ] && which=", baseline"
  local label="Wine Silent, single file$which$ROUND_LABEL"
  [ "$kind" = multi ] && label="Wine Silent, multi-part (${#PARTS[@]} parts)$which$ROUND_LABEL"
  row "$label" "$WALL" "$(mbps "$payload_bytes" "$WALL")" "$(mib "$RSS_KIB")" \
    "$( [ $ok = 1 ] && echo ok || echo FAILED ); prefix total: RSS $(mib "$prefix_rss") / PSS $(mib "$prefix_pss") MiB, wineserver $(mib "$server_peak") MiB"
  eval "WALL_$kind${variant:+_baseline}=\$WALL"
  if [ -z "$variant" ]; then
    PEAK_KIB=$(( RSS_KIB > PEAK_KIB ? RSS_KIB : PEAK_KIB ))
  else
    PEAK_BASELINE_KIB=$(( RSS_KIB > PEAK_BASELINE_KIB ? RSS_KIB : PEAK_BASELINE_KIB ))
  fi
  OWN_EXTRA_S=0

  {
    echo "  $label: phases (the log watched every 0.1 s; its own 1 s stamps in brackets)"
    local first extracting returned validate after_validate copy_start copy_end total_lines
    total_lines=$(wc -l <"$log")
    extracting=$(line_of "$log" "Extracting the Setup to")
    validate=$(line_of "$log" "Checking for parts")
    first=$(line_of "$log" "Extracting files from cabinet")
    returned=$(line_of "$log" "Return Code for cab extraction")
    if [ -n "$extracting" ]; then
      printf '    %-38s %7s s\n' "start-up until extraction begins" "$(seen_at "$samples" "$extracting")"
    fi
    if [ "$kind" = single ]; then
      copy_start=$(grep -n -m1 'ExtractFile .*|Extracting file : .*WebCab1' "$log" | cut -d: -f1)
      copy_end=$(grep -n -m1 'ExtractFile .*|Closing file : .*WebCab1' "$log" | cut -d: -f1)
      if [ -n "$copy_start" ] && [ -n "$copy_end" ]; then
        phase "copy of the attached cabinet to temp" "$samples" "$log" "$copy_start" "$copy_end" "$cab_size"
        printf '    %-38s %s\n' "  (temporary copy)" "$(sed -n "${copy_start}s/.*Extracting file : //p" "$log" | tr -d '\r')"
      fi
    fi
    if [ "$kind" = multi ] && [ -n "$validate" ]; then
      after_validate=$((validate + 1))
      phase "part validation (SHA-1 of the parts)" "$samples" "$log" "$validate" "$after_validate" "$parts_bytes"
      VALIDATION_SECONDS=$PHASE_SECONDS
      VALIDATION_STAMP=$(( $(log_second "$log" "$after_validate") - $(log_second "$log" "$validate") ))
    fi
    if [ -n "$first" ] && [ -n "$returned" ]; then
      phase "extraction through cabinet.dll" "$samples" "$log" "$first" "$returned" "$payload_bytes"
      printf '    %-38s %7s\n' "files extracted (log lines)" "$(grep -c '|FileOverwrite ' "$log" || true)"
      printf '    %-38s %7s s\n' "clean-up and summary until exit" \
        "$(awk -v a="$(seen_at "$samples" "$returned")" -v w="$WALL" \
          'BEGIN { if (a == "-") print "-"; else printf "%.2f", (w > a ? w - a : 0) }')"
    fi
    printf '    %-38s user %s s, system %s s; wineserver %s s (the sampler: %s s)\n' "CPU time" "$USER_S" "$SYS_S" \
      "$(awk -v a="$server_before" -v b="$server_after" 'BEGIN { printf "%.2f", b - a }')" "$sampler_cpu"
    printf '    %-38s %s MiB (time -v: %s MiB); wineserver %s MiB\n' "peak memory of the package process" \
      "$(mib "$program_peak")" "$(mib "$RSS_KIB")" "$(mib "$server_peak")"
    printf '    %-38s %s lines\n' "log size" "$total_lines"
  } >"$WORK/$folder.phases"
  cat "$WORK/$folder.phases"
  PHASES+=("$(cat "$WORK/$folder.phases")")
  remove_tree "$OUT"
}

# sha1sum first: it reads the same parts the multi-part run validates next.
echo "sha1sum over the ${#PARTS[@]} parts ..."
cat "${PARTS[@]}" >/dev/null
measure sha1sum sha1sum "${PARTS[@]}"
SHA1SUM_WALL=$WALL
row "sha1sum over the parts" "$WALL" "$(mbps "$parts_bytes" "$WALL")" "$(mib "$RSS_KIB")" \
  "$parts_bytes bytes of parts; MB/s of part bytes"

# The Windows path of a file below $WORK.
windows_path() { local relative=${1#"$WORK"/}; echo "C:\\tresk_extract_bench\\${relative//\//\\}"; }

# The floor under Wine on the cabinets of one package: with writes into $OUT (the tree compared
# with the payload) or, with "null", every file written to the null device.
floor_run() {  # $1: single or multi, $2: writes or null
  local kind=$1 mode=$2 cabinets=() files=() file label
  if [ "$kind" = multi ]; then files=("${PARTS[@]}"); else files=("$WORK/single.cab"); fi
  for file in "${files[@]}"; do cabinets+=("$(windows_path "$file")"); done
  cat "${files[@]}" >/dev/null
  remove_tree "$OUT"
  label="Floor: cabinet.dll, $( [ "$kind" = multi ] && echo parts || echo single cabinet ), $( [ "$mode" = null ] && echo "to null device" || echo writes )$ROUND_LABEL"
  if [ "$mode" = null ]; then
    measure "floor-$kind-$mode" timeout --kill-after=10 "$WINE_TIMEOUT" wine "$FLOOR" --null "${cabinets[@]}"
  else
    measure "floor-$kind-$mode" timeout --kill-after=10 "$WINE_TIMEOUT" wine "$FLOOR" "$OUT_WINDOWS" "${cabinets[@]}"
  fi
  if [ "$RC" != 0 ]; then
    echo "  $label failed:" >&2
    tail -5 "$WORK/floor-$kind-$mode.err" >&2
    failures=$((failures + 1))
  elif [ "$mode" = writes ]; then
    check_tree "$OUT" "$label"
  fi
  row "$label" "$WALL" "$(mbps "$payload_bytes" "$WALL")" "$(mib "$RSS_KIB")" "user $USER_S s, system $SYS_S s"
  eval "FLOOR_${kind}_$mode=\$WALL"
  remove_tree "$OUT"
}

VALIDATION_SECONDS=-
VALIDATION_STAMP=-
PEAK_KIB=0
PEAK_BASELINE_KIB=0
MULTIPLES=()
for round in $(seq "$RUNS"); do
  ROUND_LABEL=""
  [ "$RUNS" -gt 1 ] && ROUND_LABEL=" (run $round)"
  if [ -n "$BASELINE_PROGRAM" ]; then
    echo "Wine: multi-part package of the baseline program, Silent$ROUND_LABEL ..."
    run_package multi -baseline
  fi
  echo "Wine: multi-part package, Silent$ROUND_LABEL ..."
  run_package multi
  row "  of it: the program's part validation" "$VALIDATION_SECONDS" "$(mbps "$parts_bytes" "$VALIDATION_SECONDS")" "-" \
    "from the log, watched every 0.1 s (log stamps: $VALIDATION_STAMP s)" "-"
  echo "Floor on the parts$ROUND_LABEL ..."
  floor_run multi writes
  floor_run multi null
  if [ -n "$BASELINE_PROGRAM" ]; then
    echo "Wine: single-file package of the baseline program, Silent$ROUND_LABEL ..."
    run_package single -baseline
  fi
  echo "Wine: single-file package, Silent$ROUND_LABEL ..."
  run_package single
  echo "Floor on the single cabinet$ROUND_LABEL ..."
  floor_run single writes
  floor_run single null
  MULTIPLES+=("$(printf '  %-8s multi-part run / floor with writes on the parts: %s x   single-file run / floor with writes on the cabinet: %s x' \
    "run $round" "$(ratio "$WALL_multi" "$FLOOR_multi_writes")" "$(ratio "$WALL_single" "$FLOOR_single_writes")")")
  if [ -n "$BASELINE_PROGRAM" ]; then
    MULTIPLES+=("$(printf '  %-8s the same for the baseline program:               %s x                                                     %s x' \
      "run $round" "$(ratio "$WALL_multi_baseline" "$FLOOR_multi_writes")" "$(ratio "$WALL_single_baseline" "$FLOOR_single_writes")")")
  fi
done
ROUND_LABEL=""

# ---- cabextract on the same cabinets ------------------------------------------------------------

restore_signature() {  # the package's cabinets carry their own signature in place of the standard one
  if [ "$(head -c 4 "$1")" != QRVA ]; then
    echo "extract_benchmark: $1 does not start with the package's cabinet signature" >&2
    exit 1
  fi
  printf 'MSCF' | dd of="$1" bs=4 count=1 conv=notrunc status=none
}

# An extraction outside Wine into $OUT: measured, its tree compared with the payload, a row, and
# $OUT removed again.
measure_extraction() {  # $1: name for the output files, $2: row label, $3: start of the note, then the command
  local name=$1 label=$2 note=$3
  shift 3
  measure "$name" "$@"
  if [ "$RC" = 0 ]; then
    check_tree "$OUT" "$label"
  else
    echo "  $label failed" >&2
    failures=$((failures + 1))
  fi
  row "$label" "$WALL" "$(mbps "$payload_bytes" "$WALL")" "$(mib "$RSS_KIB")" "${note}user $USER_S s, system $SYS_S s"
  remove_tree "$OUT"
}

echo "Raw cost: cab_bench extract on the parts ..."
cat "${PARTS[@]}" >/dev/null
remove_tree "$OUT"
measure_extraction bench-set "cab_bench extract, parts (inflate + write)" "the packager's reader (zlib); " \
  "$BENCH" extract "$OUT" "${PARTS[@]}"

echo "cabextract on the parts ..."
for part in "${PARTS[@]}"; do
  cp "$part" "$WORK/cabextract-set/"
  restore_signature "$WORK/cabextract-set/$(basename "$part")"
done
first_part="$WORK/cabextract-set/$(basename "${PARTS[0]}")"
cat "$WORK"/cabextract-set/* >/dev/null
measure_extraction cabextract-set "cabextract, parts (from the first)" "" cabextract -q -d "$OUT" "$first_part"
CABEXTRACT_SET=$WALL
rm -rf "$WORK/cabextract-set"

echo "Raw cost: cab_bench extract on the single cabinet ..."
measure_extraction bench-single "cab_bench extract, single cabinet" "" "$BENCH" extract "$OUT" "$WORK/single.cab"

echo "Raw cost: cp of the attached cabinet (the single-file package's extra copy) ..."
measure cp-cabinet cp "$WORK/single.cab" "$WORK/single-copy.cab"
row "cp of the attached cabinet" "$WALL" "$(mbps "$cab_size" "$WALL")" "$(mib "$RSS_KIB")" \
  "$cab_size bytes; MB/s of cabinet bytes"
rm -f "$WORK/single-copy.cab"

echo "cabextract on the single cabinet ..."
restore_signature "$WORK/single.cab"
measure_extraction cabextract-single "cabextract, single cabinet" "" cabextract -q -d "$OUT" "$WORK/single.cab"
CABEXTRACT_SINGLE=$WALL
rm -rf "$WORK/single.cab"

echo "Raw cost: cp -r of the payload tree ..."
measure cp-tree cp -r "$WORK/payload" "$OUT"
row "cp -r of the payload tree (write only)" "$WALL" "$(mbps "$payload_bytes" "$WALL")" "$(mib "$RSS_KIB")" \
  "user $USER_S s, system $SYS_S s"
remove_tree "$OUT"

# ---- summary ------------------------------------------------------------------------------------

echo
echo "Build measured: $MEASURED_BUILD"
[ -n "$BASELINE_PROGRAM" ] && echo "Baseline program (same build kind): $BASELINE_PROGRAM"
echo "Payload: $payload_bytes bytes in $file_count files; single-file package $single_size bytes;" \
     "${#PARTS[@]} parts, $parts_bytes bytes; level $LEVEL; $(nproc) cores"
echo "MB/s: payload bytes (10^6) per second of wall time unless noted. Peak: maximum resident set size."
echo "Other: CPU seconds other processes used during the step ($(nproc) cores; includes the kernel writing back the step's own files)."
printf '%-44s %8s %9s %10s %7s  %s\n' "Step" "Wall s" "MB/s" "Peak MiB" "Other" "Notes"
printf '%s\n' "${ROWS[@]}"
echo
printf '%s\n' "${PHASES[@]}"
echo
hash_share=$(awk -v v="$VALIDATION_SECONDS" -v s="$SHA1SUM_WALL" \
  'BEGIN { if (v == "-" || v <= 0) print "-"; else printf "%.0f", 100 * s / v }')
echo "Multiples of the floor, each round against the floor runs beside it (goals: multi-part at most 0.8 x, single file at most 0.9 x):"
printf '%s\n' "${MULTIPLES[@]}"
echo "Against the goals (figures only; the last round):"
echo "  multi-part run / floor with writes on the parts: $(ratio "$WALL_multi" "$FLOOR_multi_writes") x   (goal: at most 0.8 x)"
echo "  single-file run / floor with writes on the cabinet: $(ratio "$WALL_single" "$FLOOR_single_writes") x   (goal: at most 0.9 x)"
echo "  multi-part run / cabextract on the parts:        $(ratio "$WALL_multi" "$CABEXTRACT_SET") x   (an earlier goal, which does not hold across hosts: at most 1.25 x)"
echo "  single-file run / cabextract on the cabinet:     $(ratio "$WALL_single" "$CABEXTRACT_SINGLE") x   (an earlier goal, which does not hold across hosts: at most 1.5 x)"
echo "  peak RSS of the package process, every run:      $(mib "$PEAK_KIB") MiB   (goal: at most 64 MiB)"
[ -n "$BASELINE_PROGRAM" ] && echo "  the same for the baseline program:                $(mib "$PEAK_BASELINE_KIB") MiB"
echo "  part validation throughput / sha1sum's:          $hash_share %   (goal: at least 80 %)"
[ "$failures" -eq 0 ] || { echo "$failures extraction(s) failed or differed from the payload" >&2; exit 1; }
