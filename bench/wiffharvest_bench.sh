#!/usr/bin/env bash
# wiffharvest against the decoding floor on generated three-sample QSTAR
# .wiff runs with profile survey scans, of about 15,000 and 30,000 spectra
# in all: wall time, peak memory, their ratios, and how the time grows when
# the run doubles.
#   bench/wiffharvest_bench.sh [build-folder]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/bench_common.sh wiffharvest quarrow-rungen decode_floor

declare -A seconds
for spectra in 5000 10000; do
    run="$work/lysate$spectra"
    "$build_abs/tools/quarrow-rungen" --sciex qstar --samples 3 --profile --output "$run.wiff" \
        --spectra "$spectra" --seed 42 --peptides $((spectra * 2 / 3)) >/dev/null
    mkdir -p "$run-logs" "$run-pkl"
    read -r fs fm < <(measure "floor$spectra" "$build_abs/bench/decode_floor" "$run"-*.mzML)
    read -r ws wm < <(cd "$work" && measure "wiff$spectra" env -i \
        QUERY_STRING="xtractorDataFilename=$run.wiff&lastScan=1000000&logFileDir=$run-logs/&resultsXtractorDir=$run-pkl/&specFeaturesFilename=specFeatures.txt" \
        "$build_abs/wiffharvest/wiffharvest")
    seconds[$spectra]=$ws
    printf '%6d spectra: floor %6.2f s %8d KiB | wiffharvest %6.2f s %8d KiB | time x%.2f memory x%.2f | %d .pkl files\n' \
        "$((spectra * 3))" "$fs" "$fm" "$ws" "$wm" "$(ratio "$ws" "$fs")" "$(ratio "$wm" "$fm")" \
        "$(ls "$run-pkl" | wc -l)"
done
printf 'doubling the run multiplies the wiffharvest time by %.2f\n' "$(ratio "${seconds[10000]}" "${seconds[5000]}")"
