#!/usr/bin/env bash
# wiffharvest against the library's decoding floor and a read, pick-peaks,
# write-MGF chain on the same library, and with the library reader, on generated three-sample QSTAR
# .wiff runs with profile survey scans, of about 15,000 and 30,000 spectra
# in all: wall time, peak memory, their ratios, and how the time grows when
# the run doubles.
#   bench/wiffharvest_bench.sh [build-folder]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/bench_common.sh wiffharvest quarrow-rungen decode_floor peak_pick_chain

declare -A seconds
for spectra in 5000 10000; do
    run="$work/lysate$spectra"
    "$build_abs/tools/quarrow-rungen" --sciex qstar --samples 3 --profile --output "$run.wiff" \
        --spectra "$spectra" --seed 42 --peptides $((spectra * 2 / 3)) >/dev/null
    mkdir -p "$run-logs" "$run-pkl"
    read -r fs fm < <(measure "floor$spectra" "$build_abs/bench/decode_floor" "$run"-*.mzML)
    mkdir -p "$run-mgf" "$run-logs-lib" "$run-pkl-lib"
    read -r cs cm < <(measure "chain$spectra" "$build_abs/bench/peak_pick_chain" "$run-mgf" "$run"-*.mzML)
    query="xtractorDataFilename=$run.wiff&lastScan=1000000&specFeaturesFilename=specFeatures.txt"
    read -r ls lm < <(cd "$work" && measure "lib$spectra" env -i QUARROW_READER=pwiz \
        QUERY_STRING="$query&logFileDir=$run-logs-lib/&resultsXtractorDir=$run-pkl-lib/" "$build_abs/wiffharvest/wiffharvest")
    read -r ws wm < <(cd "$work" && measure "wiff$spectra" env -i \
        QUERY_STRING="$query&logFileDir=$run-logs/&resultsXtractorDir=$run-pkl/" "$build_abs/wiffharvest/wiffharvest")
    seconds[$spectra]=$ws
    printf '%6d spectra: floor %6.2f s %7d KiB | chain %6.2f s %7d KiB | library reader %6.2f s %7d KiB\n' \
        "$((spectra * 3))" "$fs" "$fm" "$cs" "$cm" "$ls" "$lm"
    printf '%6s          wiffharvest %6.2f s %7d KiB | x%.2f floor, x%.2f chain, memory x%.2f floor | %d .pkl files, %s\n' \
        "" "$ws" "$wm" "$(ratio "$ws" "$fs")" "$(ratio "$ws" "$cs")" "$(ratio "$wm" "$fm")" "$(ls "$run-pkl" | wc -l)" \
        "$(diff -rq "$run-pkl" "$run-pkl-lib" >/dev/null && diff -rq "$run-logs" "$run-logs-lib" >/dev/null && echo "outputs identical to the library reader's" || echo "OUTPUTS DIFFER from the library reader's")"
done
printf 'doubling the run multiplies the wiffharvest time by %.2f\n' "$(ratio "${seconds[10000]}" "${seconds[5000]}")"
