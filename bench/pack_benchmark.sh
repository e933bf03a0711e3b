#!/usr/bin/env bash
# Packs a generated payload of at least 1 GiB (several thousand files of text, structured binary
# and random data) into a cabinet set of 200 MiB parts, twice, and reports beside it gzip -6 on
# the same bytes in the same run:
#   - throughput in MB/s of the packager and of gzip -6, and their ratio,
#   - output sizes,
#   - peak memory of the packager (maximum resident set size),
#   - whether the two packager runs wrote byte-identical parts.
# Figures only: nothing here passes or fails on time.
#
#   bench/pack_benchmark.sh [BUILD_DIR]    (default: build; the native tree is BUILD_DIR/native)
# The payload goes to a temporary folder under ${TMPDIR:-/tmp}, which is removed afterwards.
# Settings: PAYLOAD_MIB (default 1100), PAYLOAD_FILES (4000), PART_MIB (200), LEVEL (6).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-${TRESK_BUILD_DIR:-build}}"
BENCH="$BUILD/native/bench/cab_bench"
PAYLOAD_MIB=${PAYLOAD_MIB:-1100}
PAYLOAD_FILES=${PAYLOAD_FILES:-4000}
PART_MIB=${PART_MIB:-200}
LEVEL=${LEVEL:-6}

for tool in gzip /usr/bin/time df; do
  if ! command -v "$tool" >/dev/null; then
    echo "pack_benchmark: $tool is missing (Debian packages: gzip, time, coreutils)" >&2
    exit 2
  fi
done
if [ ! -x "$BENCH" ]; then
  cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD/native" --target cab_bench >/dev/null
fi

TMP_ROOT="${TMPDIR:-/tmp}"
# Payload, two packed copies of it (about the payload's size each at worst) and some slack.
need_kib=$(( PAYLOAD_MIB * 1024 * 3 + 512 * 1024 ))
free_kib=$(df -Pk "$TMP_ROOT" | awk 'NR == 2 { print $4 }')
if [ "$free_kib" -lt "$need_kib" ]; then
  echo "pack_benchmark: $TMP_ROOT has $((free_kib / 1024)) MiB free, $((need_kib / 1024)) MiB needed" >&2
  exit 2
fi
WORK=$(mktemp -d "$TMP_ROOT/tresk-pack-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo "Generating $PAYLOAD_MIB MiB in $PAYLOAD_FILES files under $WORK ..."
"$BENCH" generate "$WORK/payload" "$PAYLOAD_MIB" "$PAYLOAD_FILES"
payload_bytes=$(find "$WORK/payload" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
file_count=$(find "$WORK/payload" -type f | wc -l)

now() { date +%s.%N; }
mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1e6 / s }'; }

# Warm the page cache evenly for both programs: each then reads the same cached bytes.
find "$WORK/payload" -type f -print0 | xargs -0 cat > /dev/null

pack() {  # $1: output folder
  mkdir -p "$1"
  /usr/bin/time -v -o "$1.time" "$BENCH" pack "$WORK/payload" "$1/payload" \
    --part-size $((PART_MIB * 1024 * 1024)) --level "$LEVEL" --set-id 4711 > "$1.out"
}

echo "Packing (run 1) ..."
start=$(now); pack "$WORK/run1"; pack_seconds=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
echo "Packing (run 2) ..."
pack "$WORK/run2"

echo "gzip -6 on the same bytes ..."
start=$(now)
gzip_bytes=$(find "$WORK/payload" -type f -print0 | sort -z | xargs -0 cat | gzip -6 | wc -c)
gzip_seconds=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')

pack_out=$(awk '/^bytes_out/ { print $2 }' "$WORK/run1.out")
parts=$(grep -c '^wrote' "$WORK/run1.out")
peak_kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/run1.time")
peak2_kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/run2.time")
identical=yes
for part in "$WORK"/run1/payload.*; do
  cmp -s "$part" "$WORK/run2/$(basename "$part")" || identical=no
done
[ "$(ls "$WORK/run1" | wc -l)" -eq "$(ls "$WORK/run2" | wc -l)" ] || identical=no

pack_mbps=$(mbps "$payload_bytes" "$pack_seconds")
gzip_mbps=$(mbps "$payload_bytes" "$gzip_seconds")
echo
echo "Build measured:     the native packager library ($(uname -m) Linux, cab_bench); no Wine, so the same on every host"
echo "Payload:            $payload_bytes bytes in $file_count files"
echo "TreskPack (level $LEVEL): $pack_mbps MB/s, $pack_out bytes in $parts parts of at most $PART_MIB MiB ($(awk -v a="$pack_seconds" 'BEGIN { printf "%.1f", a }') s)"
echo "gzip -6:            $gzip_mbps MB/s, $gzip_bytes bytes ($(awk -v a="$gzip_seconds" 'BEGIN { printf "%.1f", a }') s)"
echo "Speed ratio:        $(awk -v a="$pack_mbps" -v b="$gzip_mbps" 'BEGIN { printf "%.2f", a / b }') x gzip -6 on $(nproc) cores"
echo "Size ratio:         $(awk -v a="$pack_out" -v b="$gzip_bytes" 'BEGIN { printf "%.3f", a / b }') x gzip -6 output"
echo "Peak memory:        $((peak_kib / 1024)) MiB (run 2: $((peak2_kib / 1024)) MiB)"
echo "Identical runs:     $identical"
