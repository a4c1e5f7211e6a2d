#!/usr/bin/env bash
# yepharvest against the decoding floor on generated runs of 3,000 and 6,000
# cycles (one survey scan and four MS/MS spectra each): wall time, peak
# memory, their ratios, and how the time grows when the run doubles.
#   bench/yepharvest_bench.sh [build-folder]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/bench_common.sh yepharvest quarrow-rungen decode_floor

declare -A seconds
for spectra in 15000 30000; do
    run="$work/run$spectra"
    "$build_abs/tools/quarrow-rungen" --folder --output "$run.d" --spectra "$spectra" --top 4 --seed 42 \
        --peptides $((spectra * 2 / 3)) >/dev/null
    mkdir -p "$run-logs" "$run-pkl"
    read -r fs fm < <(measure "floor$spectra" "$build_abs/bench/decode_floor" "$run.d/Analysis.mzML")
    read -r ys ym < <(cd "$work" && measure "yep$spectra" env -i \
        QUERY_STRING="xtractorDataFilename=$run.d/Analysis.yep&autoCharge=Find&lastScan=1000000&logFileDir=$run-logs/&resultsXtractorDir=$run-pkl/&specFeaturesFilename=specFeatures.txt" \
        "$build_abs/yepharvest/yepharvest")
    seconds[$spectra]=$ys
    printf '%6d spectra: floor %6.2f s %8d KiB | yepharvest %6.2f s %8d KiB | time x%.2f memory x%.2f | %d .pkl files\n' \
        "$spectra" "$fs" "$fm" "$ys" "$ym" "$(ratio "$ys" "$fs")" "$(ratio "$ym" "$fm")" \
        "$(ls "$run-pkl" | wc -l)"
done
printf 'doubling the run multiplies the yepharvest time by %.2f\n' "$(ratio "${seconds[30000]}" "${seconds[15000]}")"
