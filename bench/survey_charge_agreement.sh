#!/usr/bin/env bash
# How often yepharvest ("Find") gives a written MS/MS spectrum a charge, and
# how often that charge is the instrument's (real runs: the export's
# precursorCharge) or the generator's (generated runs: the truth table), with
# chargeFromSurveyIsotopes 0 and 1. Expects yepharvest and quarrow-rungen built.
#   bench/survey_charge_agreement.sh [build-folder] [export.mzXML ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
shift || true
work=$(mktemp -d /tmp/quarrow-charges-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r msparams_quarrow "$work/"

# "scan<TAB>charge" of every MS/MS spectrum that carries one.
reference_from_export() {
    awk '/<scan / { scan = "" } match($0, /num="[0-9]+"/) && scan == "" { scan = substr($0, RSTART + 5, RLENGTH - 6) }
         match($0, /precursorCharge="[0-9]+"/) { print scan "\t" substr($0, RSTART + 17, RLENGTH - 18) }' "$1"
}
reference_from_truth() { awk -F'\t' 'NR > 1 && $3 == 2 { print $2 "\t" $6 }' "$1"; }

# One table row: written spectra with a reference charge, share charged,
# share of those agreeing, and the singly charged ones kept at 1.
measure() {  # measure <label> <data file> <reference file> <key>
    local out="$work/out-$RANDOM"
    mkdir -p "$out/pkl" "$out/logs"
    (cd "$work" && env -i QUERY_STRING="xtractorDataFilename=$2&autoCharge=Find&lastScan=1000000&chargeFromSurveyIsotopes=$4&logFileDir=$out/logs/&resultsXtractorDir=$out/pkl/&specFeaturesFilename=specFeatures.txt" \
        "$build/yepharvest/yepharvest" >/dev/null)
    ls "$out/pkl" | awk -F. -v label="$1" -v key="$4" -v ref="$3" '
        BEGIN { while ((getline line < ref) > 0) { split(line, f, "\t"); charge[f[1] + 0] = f[2] } }
        { scan = $(NF - 3) + 0; z = $(NF - 1) + 0
          if (!(scan in charge)) next
          n++; if (z != 0) { charged++; if (z == charge[scan]) agree++ }
          if (charge[scan] == 1) { ones++; if (z == 1) onesKept++ } }
        END { printf "| %s | %d | %d | %d | %.1f %% | %.1f %% | %d of %d |\n", label, key, n, charged,
              n ? 100 * charged / n : 0, charged ? 100 * agree / charged : 0, onesKept, ones }'
    rm -rf "$out"
}

echo "| run | key | spectra | charged | share charged | agreeing | true 1 kept at 1 |"
echo "|---|---|---|---|---|---|---|"
for export in "$@"; do
    reference_from_export "$export" >"$work/ref.tsv"
    for key in 0 1; do measure "$(basename "$export")" "$export" "$work/ref.tsv" "$key"; done
done
# High-resolution survey scans (3 ppm), then the generator's default (peaks
# scattered by 0.003 Th) and its profile-mode survey scans.
generated() {  # generated <label> <seed> <generator options...>
    local label=$1 seed=$2; shift 2
    "$build/tools/quarrow-rungen" --folder --output "$work/gen$seed.d" --spectra 3000 --seed "$seed" "$@" >/dev/null
    reference_from_truth "$work/gen$seed.d.truth.tsv" >"$work/ref.tsv"
    for key in 0 1; do measure "generated, seed $seed, $label" "$work/gen$seed.d/Analysis.yep" "$work/ref.tsv" "$key"; done
    rm -rf "$work/gen$seed.d" "$work/gen$seed.d.truth.tsv"
}
for seed in 1 2 3; do generated "3 ppm" "$seed" --survey-ppm 3; done
generated "0.003 Th" 4
generated "profile" 5 --profile
