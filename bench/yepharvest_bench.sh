#!/usr/bin/env bash
# yepharvest against the library's decoding floor and against a read,
# pick-peaks, write-MGF chain on the same library, on generated runs of 3,000
# and 6,000 cycles (one survey scan and four MS/MS spectra each): wall time,
# peak memory, their ratios, and how the time grows when the run doubles.
# The program runs twice: with its own reader and with the library reader.
#   bench/yepharvest_bench.sh [build-folder]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/bench_common.sh yepharvest quarrow-rungen decode_floor peak_pick_chain

declare -A seconds
for spectra in 15000 30000; do
    run="$work/run$spectra"
    "$build_abs/tools/quarrow-rungen" --folder --output "$run.d" --spectra "$spectra" --top 4 --seed 42 \
        --peptides $((spectra * 2 / 3)) >/dev/null
    mkdir -p "$run-logs" "$run-pkl"
    read -r fs fm < <(measure "floor$spectra" "$build_abs/bench/decode_floor" "$run.d/Analysis.mzML")
    mkdir -p "$run-mgf" "$run-logs-lib" "$run-pkl-lib"
    read -r cs cm < <(measure "chain$spectra" "$build_abs/bench/peak_pick_chain" "$run-mgf" "$run.d/Analysis.mzML")
    query="xtractorDataFilename=$run.d/Analysis.yep&autoCharge=Find&lastScan=1000000&specFeaturesFilename=specFeatures.txt"
    read -r ls lm < <(cd "$work" && measure "lib$spectra" env -i QUARROW_READER=pwiz \
        QUERY_STRING="$query&logFileDir=$run-logs-lib/&resultsXtractorDir=$run-pkl-lib/" "$build_abs/yepharvest/yepharvest")
    read -r ys ym < <(cd "$work" && measure "yep$spectra" env -i \
        QUERY_STRING="$query&logFileDir=$run-logs/&resultsXtractorDir=$run-pkl/" "$build_abs/yepharvest/yepharvest")
    seconds[$spectra]=$ys
    printf '%6d spectra: floor %6.2f s %7d KiB | chain %6.2f s %7d KiB | library reader %6.2f s %7d KiB\n' \
        "$spectra" "$fs" "$fm" "$cs" "$cm" "$ls" "$lm"
    printf '%6s          yepharvest %6.2f s %7d KiB | x%.2f floor, x%.2f chain, memory x%.2f floor | %d .pkl files, %s\n' \
        "" "$ys" "$ym" "$(ratio "$ys" "$fs")" "$(ratio "$ys" "$cs")" "$(ratio "$ym" "$fm")" "$(ls "$run-pkl" | wc -l)" \
        "$(diff -rq "$run-pkl" "$run-pkl-lib" >/dev/null && diff -rq "$run-logs" "$run-logs-lib" >/dev/null && echo "outputs identical to the library reader's" || echo "OUTPUTS DIFFER from the library reader's")"
done
printf 'doubling the run multiplies the yepharvest time by %.2f\n' "$(ratio "${seconds[30000]}" "${seconds[15000]}")"
