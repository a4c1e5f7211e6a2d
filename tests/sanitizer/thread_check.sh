#!/usr/bin/env bash
# The stages that run on two threads, under ThreadSanitizer: the two-thread
# runner's own tests, and both programs on generated runs with each reader
# (the library reader is shared under a lock), writing .pkl files and MGF
# (both threads commit files). Any report fails the check.
#   tests/sanitizer/thread_check.sh <build folder configured with QUARROW_SANITIZE_THREAD=ON>
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "$1" && pwd)
export TSAN_OPTIONS="halt_on_error=1 exitcode=66"
"$build/tests/util/util_tests" --gtest_filter='TwoCores.*' >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r msparams_quarrow "$work/"
"$build/tools/quarrow-rungen" --folder --output "$work/run.d" --spectra 3000 --top 4 --seed 7 >/dev/null
"$build/tools/quarrow-rungen" --sciex qstar --samples 2 --profile --output "$work/lysate.wiff" --spectra 600 \
    --seed 7 >/dev/null
for reader in streaming pwiz; do
    for program in yepharvest wiffharvest; do
        data=$work/run.d/Analysis.yep
        [ "$program" = wiffharvest ] && data=$work/lysate.wiff
        out=$work/$program-$reader
        mkdir -p "$out/logs" "$out/pkl"
        query="xtractorDataFilename=$data&autoCharge=Find&specFeaturesFilename=specFeatures.txt&peakListFormat=both"
        query+="&logFileDir=$out/logs/&resultsXtractorDir=$out/pkl/"
        status=0
        (cd "$work" && env -i TSAN_OPTIONS="$TSAN_OPTIONS" QUARROW_READER="$reader" QUERY_STRING="$query" \
            "$build/$program/$program" >"$out/page.html" 2>"$out/stderr") || status=$?
        if [ "$status" -ne 0 ] || [ -z "$(ls "$out/pkl")" ]; then
            echo "$program ($reader reader) under ThreadSanitizer: exit status $status" >&2
            cat "$out/stderr" >&2
            exit 1
        fi
    done
done
echo "ThreadSanitizer: no report"
