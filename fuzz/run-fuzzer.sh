#!/usr/bin/env bash
# Runs the decoder fuzzer for a number of seconds on one core.
#   fuzz/run-fuzzer.sh FUZZER WORKDIR SECONDS
# The working corpus lives in WORKDIR/corpus and grows from run to run; it is seeded
# from ../shared/corpus (never written to) with each file behind a selector byte that
# gives its reader. Crashes, timeouts and memory blow-ups land in WORKDIR/findings.
set -euo pipefail
fuzzer=$1
workdir=$2
seconds=$3
cd "$(dirname "$0")/.."
seeds=../shared/corpus
corpus=$workdir/corpus
findings=$workdir/findings
mkdir -p "$corpus" "$findings"

if [ -z "$(ls -A "$corpus")" ]; then
    # Bit 0 of the selector: 1 = read as BMP, 0 = as JPEG. The other bits (thumbnail size,
    # slow read, screen) vary from seed to seed so that all of them are covered from the start.
    i=0
    while IFS= read -r -d '' file; do
        case "${file,,}" in
        *.bmp) type=1 ;;
        *.jpg | *.jpeg) type=0 ;;
        *) continue ;;
        esac
        selector=$(((i * 2 * 37 + type) % 256 | type))
        {
            printf "\\x$(printf %02x "$selector")"
            cat "$file"
        } >"$corpus/seed-$i"
        i=$((i + 1))
    done < <(find "$seeds" -type f -print0 | sort -z)
    echo "run-fuzzer: seeded $corpus with $i files from $seeds"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
exec "$fuzzer" "$corpus" -artifact_prefix="$findings/" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 -max_len=1048576 -print_final_stats=1
