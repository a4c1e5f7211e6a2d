#!/usr/bin/env bash
# yepharvest against the library's decoding floor and against a read,
# pick-peaks, write-MGF chain on the same library, on generated runs of
# 15,000, 25,000 and 50,000 spectra (one survey scan and four MS/MS spectra
# per cycle, 0.6 peptides per spectrum for the two large ones): wall, user
# and system time, peak memory, files written, their ratios to the floor
# within each round, and how time and memory grow from 25,000 to 50,000.
# The program also runs once with the library reader, whose outputs must be
# the same.
#   bench/yepharvest_bench.sh [build-folder]     (default: build)
#   BENCH_ROUNDS=n (default 3), BENCH_SIZES="15000 ..." to choose;
#   BENCH_FORMAT=mgf (a value of peakListFormat; default the programs' pkl).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/bench_common.sh yepharvest quarrow-rungen decode_floor peak_pick_chain

declare -A wall memory
for spectra in ${BENCH_SIZES:-15000 25000 50000}; do
    run="$work/run$spectra"
    if [ "$spectra" = 15000 ]; then
        options="--seed 42 --peptides 10000"  # as measured before
    else
        options="--seed 7 --peptides $((spectra * 3 / 5))"
    fi
    # shellcheck disable=SC2086
    "$build_abs/tools/quarrow-rungen" --folder --output "$run.d" --spectra "$spectra" --top 4 $options >/dev/null
    mkdir -p "$run-mgf" "$run-logs-lib" "$run-pkl-lib"
    read -r cw _ _ cm < <(measure "chain$spectra" "$build_abs/bench/peak_pick_chain" "$run-mgf" "$run.d/Analysis.mzML")
    query="xtractorDataFilename=$run.d/Analysis.yep&autoCharge=Find&lastScan=1000000&specFeaturesFilename=specFeatures.txt&peakListFormat=${BENCH_FORMAT:-pkl}"
    read -r lw _ _ lm < <(cd "$work" && measure "lib$spectra" env -i QUARROW_READER=pwiz \
        QUERY_STRING="$query&logFileDir=$run-logs-lib/&resultsXtractorDir=$run-pkl-lib/" "$build_abs/yepharvest/yepharvest")
    printf '%6d spectra: chain %5.2f s %7d KiB | library reader %5.2f s %7d KiB\n' "$spectra" "$cw" "$cm" "$lw" "$lm"
    floor=("$build_abs/bench/decode_floor" "$run.d/Analysis.mzML")
    program=(env -C "$work" -i QUERY_STRING="$query&logFileDir=$run-logs/&resultsXtractorDir=$run-pkl/"
             "$build_abs/yepharvest/yepharvest")
    against_floor yepharvest floor program "$run-pkl" "$run-logs"
    wall[$spectra]=$best_wall memory[$spectra]=$best_memory
    printf '          best:    %s | x%s chain | %s\n' "$best_line" "$(ratio "$best_wall" "$cw")" \
        "$(diff -rq "$run-pkl" "$run-pkl-lib" >/dev/null && diff -rq "$run-logs" "$run-logs-lib" >/dev/null && echo "outputs identical to the library reader's" || echo "OUTPUTS DIFFER from the library reader's")"
    rm -rf "$run.d" "$run-mgf" "$run-pkl" "$run-pkl-lib" "$run-logs" "$run-logs-lib"
done
if [ -n "${wall[25000]:-}" ] && [ -n "${wall[50000]:-}" ]; then
    printf 'from 25,000 to 50,000 spectra the yepharvest time grows x%s, its peak memory x%s\n' \
        "$(ratio "${wall[50000]}" "${wall[25000]}")" "$(ratio "${memory[50000]}" "${memory[25000]}")"
fi
