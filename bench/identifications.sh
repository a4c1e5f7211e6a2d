#!/usr/bin/env bash
# What a search engine identifies from our peak lists, against the export
# itself: Debian's Comet (comet-ms) searches, on the same run,
#   - our MGF, written by quarrow-extract with the front ends' defaults;
#   - our mzML file of the same spectra (peakListFormat=mgf,mzml), which
#     must identify what the MGF does;
#   - every MS/MS spectrum of the export with the instrument's charges;
#   - the same without charges (Comet then tries the likely charges itself);
#   - ProteoWizard's msconvert (Debian's libpwiz-tools), a user's first
#     alternative: `msconvert --mgf --filter "msLevel 2"`, plain and with
#     `--filter chargeStatePredictor`;
# in two precursor settings (unit resolution: 2.0 Da, no isotope error; high
# resolution: 20 ppm, isotope errors 0/1), with ion-trap fragment bins
# (1.0005, offset 0.4), carbamidomethylated cysteine and variable oxidised
# methionine, against targets and reversed-sequence decoys. It counts the
# distinct peptides and the confident PSMs (one per spectrum, its best hit
# over the charges tried) at 1 % FDR, estimated from the decoy count; each
# cell is "peptides / PSMs". Peptides come first: merging folds repeated
# spectra of one precursor into one peak list, so our PSMs count fewer
# spectra by design.
#
#   bench/identifications.sh [build-folder] [RUN FASTA [DECOY-MARK] ...]
#
# Without runs: the real excerpt ../shared/data/real/BSA_min_21.mzXML with its
# bsa.fasta, and the BSA1 example run of Debian's openms-doc with the
# package's target-decoy FASTA (decoys marked "_rev"). A FASTA without a
# DECOY-MARK holds targets only: the reversed sequences are added here.
# Needs comet-ms and msconvert (and openms-doc for BSA1): `./setup.sh bench`
# installs them.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    sed -n '2,/^$/{/^#/s/^# \{0,1\}//p}' "$0"
    exit 0
fi
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
shift || true
missing=()
command -v comet-ms >/dev/null || missing+=(comet-ms)
command -v python3 >/dev/null || missing+=(python3)
command -v msconvert >/dev/null || missing+=(libpwiz-tools)
if [ ${#missing[@]} -gt 0 ]; then
    echo "identifications.sh: missing ${missing[*]}: run ./setup.sh bench (or apt-get install ${missing[*]})" >&2
    exit 2
fi
[ -x "$build/tools/quarrow-extract" ] || { echo "identifications.sh: build quarrow-extract and yepharvest first" >&2; exit 2; }
if [ $# -eq 0 ]; then
    real=../shared/data/real
    openms=/usr/share/doc/openms/examples
    set -- "$real/BSA_min_21.mzXML" "$real/bsa.fasta" ""
    if [ -f "$openms/BSA/BSA1.mzML" ]; then
        set -- "$@" "$openms/BSA/BSA1.mzML" \
            "$openms/TOPPAS/data/BSA_Identification/18Protein_SoCe_Tr_detergents_trace_target_decoy.fasta" "_rev"
    else
        echo "identifications.sh: openms-doc is not installed: BSA1 left out (./setup.sh bench installs it)" >&2
    fi
fi
work=$(mktemp -d /tmp/quarrow-identifications-XXXXXX)
# QUARROW_KEEP=1 keeps the MGF files and Comet's results, and says where.
if [ "${QUARROW_KEEP:-0}" = 1 ]; then echo "identifications.sh: keeping $work" >&2; else trap 'rm -rf "$work"' EXIT; fi
comet-ms -p >/dev/null 2>&1 || true  # writes comet.params.new here
mv comet.params.new "$work/template.params"

# params <file> <database> <unit|high>
params() {
    local tolerance=2.0 units=0 isotopes=0
    if [ "$3" = high ]; then tolerance=20.0 units=2 isotopes=1; fi
    sed -E -e "s#^database_name = .*#database_name = $2#" \
        -e "s/^decoy_search = .*/decoy_search = 0/" \
        -e "s/^num_threads = .*/num_threads = 2/" \
        -e "s/^peptide_mass_tolerance = .*/peptide_mass_tolerance = $tolerance/" \
        -e "s/^peptide_mass_units = .*/peptide_mass_units = $units/" \
        -e "s/^isotope_error = .*/isotope_error = $isotopes/" \
        -e "s/^fragment_bin_tol = .*/fragment_bin_tol = 1.0005/" \
        -e "s/^fragment_bin_offset = .*/fragment_bin_offset = 0.4/" \
        -e "s/^theoretical_fragment_ions = .*/theoretical_fragment_ions = 1/" \
        -e "s/^add_C_cysteine = .*/add_C_cysteine = 57.021464/" \
        -e "s/^variable_mod01 = .*/variable_mod01 = 15.9949 M 0 3 -1 0 0 0.0/" \
        -e "s/^output_txtfile = .*/output_txtfile = 1/" \
        -e "s/^output_pepxmlfile = .*/output_pepxmlfile = 0/" \
        -e "s/^num_output_lines = .*/num_output_lines = 1/" \
        "$work/template.params" >"$1"
}

# "PSMs<TAB>peptides" at 1 % FDR from Comet's text output: each spectrum's
# best hit (lowest e-value over its charges), ranked; the longest top list
# whose decoys are at most 1 % of its targets counts.
confident() {  # confident <comet.txt> <decoy mark>
    awk -F'\t' -v mark="$2" '
        $1 == "scan" { for (i = 1; i <= NF; i++) col[$i] = i; next }
        !("e-value" in col) { next }
        { s = $col["scan"]; e = $col["e-value"] + 0
          if (!(s in best) || e < best[s]) { best[s] = e; pep[s] = $col["plain_peptide"]
              n = split($col["protein"], p, ","); decoy[s] = 1
              for (k = 1; k <= n; k++) if (index(p[k], mark) == 0) decoy[s] = 0 } }
        END { for (s in best) printf "%.6g\t%d\t%s\n", best[s], decoy[s], pep[s] }' "$1" |
        sort -g -k1,1 |
        awk -F'\t' '{ t += !$2; d += $2; if (!$2) { seen[NR] = $3 }
                      if (d <= 0.01 * t) { keep = NR; targets = t } }
                    END { for (i = 1; i <= keep; i++) if (i in seen) peptides[seen[i]] = 1
                          printf "%d\t%d\n", targets, length(peptides) }'
}

inputs=(ours.mgf ours.mzML charged.mgf chargeless.mgf msconvert.mgf predicted.mgf)
echo "| run | setting | spectra searched: ours / export / msconvert | ours | ours as mzML | export with charges | export without charges | msconvert | msconvert, chargeStatePredictor |"
echo "|---|---|---|---|---|---|---|---|---|"
while [ $# -ge 2 ]; do
    for file in "$1" "$2"; do
        [ -f "$file" ] || { echo "identifications.sh: $file is not there" >&2; exit 2; }
    done
    run=$(realpath "$1") fasta=$(realpath "$2") mark=${3:-}
    shift 2; [ $# -gt 0 ] && shift
    name=$(basename "$run"); name=${name%%.*}
    dir="$work/$name"; mkdir -p "$dir"
    if [ -z "$mark" ]; then
        mark=DECOY_
        awk '/^>/ { if (seq != "") print head "\n" seq; head = $0; seq = ""; next } { seq = seq $0 }
             END { print head "\n" seq }' "$fasta" >"$dir/targets.fasta"
        awk '/^>/ { head = ">DECOY_" substr($0, 2); next }
             { s = ""; for (i = length($0); i > 0; i--) s = s substr($0, i, 1); print head "\n" s }' \
            "$dir/targets.fasta" >"$dir/decoys.fasta"
        cat "$dir/targets.fasta" "$dir/decoys.fasta" >"$dir/db.fasta"
    else
        cp "$fasta" "$dir/db.fasta"
    fi
    # QUARROW_EXTRACT_ARGS: settings to try beside the front ends' defaults.
    # shellcheck disable=SC2086
    "$build/tools/quarrow-extract" "$run" ${QUARROW_EXTRACT_ARGS:-} --peakListFormat mgf,mzml --out "$dir/ours" \
        >"$dir/extract.txt" 2>&1 ||
        { echo "identifications.sh: quarrow-extract failed on $run (see below)" >&2; tail -5 "$dir/extract.txt" >&2; exit 1; }
    cp "$dir"/ours/*/peaklists/*.mgf "$dir/ours.mgf"
    cp "$dir"/ours/*/peaklists/*.mzML "$dir/ours.mzML"
    python3 bench/export_mgf.py "$run" "$dir/charged.mgf" --charges
    python3 bench/export_mgf.py "$run" "$dir/chargeless.mgf"
    msconvert --mgf --filter "msLevel 2" -o "$dir" --outfile msconvert.mgf "$run" >"$dir/msconvert.txt" 2>&1
    msconvert --mgf --filter "msLevel 2" --filter chargeStatePredictor -o "$dir" --outfile predicted.mgf "$run" \
        >>"$dir/msconvert.txt" 2>&1
    spectra=""
    for input in ours charged msconvert; do spectra+="${spectra:+ / }$(grep -c '^BEGIN IONS' "$dir/$input.mgf")"; done
    for setting in unit high; do
        params "$dir/$setting.params" "$dir/db.fasta" "$setting"
        row="| $name | $setting | $spectra"
        for input in "${inputs[@]}"; do
            (cd "$dir" && comet-ms -P"$setting.params" -N"$input-$setting" "$input" >/dev/null 2>&1) ||
                { echo "identifications.sh: comet-ms failed on $input" >&2; exit 1; }
            IFS=$'\t' read -r psms peptides < <(confident "$dir/$input-$setting.txt" "$mark")
            row+=" | $peptides / $psms"
        done
        echo "$row |"
        # The two files of our spectra must give one search the same answers:
        # spectrum by spectrum, the same best peptide and e-value. Comet
        # numbers an MGF block by its SCANS, an mzML spectrum by the scan
        # number of its id ("scan=N"), else by its place in the file; both
        # are brought to the MGF's numbers here.
        grep -o '<spectrum index="[0-9]*" id="[^"]*"' "$dir/ours.mzML" |
            sed -E 's/.*index="([0-9]*)" id="(.*)"/\1\t\2/' >"$dir/ours.mzML.ids"
        for input in ours.mgf ours.mzML; do
            awk -F'\t' -v mzml=$([ $input = ours.mzML ] && echo 1 || echo 0) '
                FILENAME ~ /mgf$/ { if (sub(/^SCANS=/, "")) { split($0, s, "-"); first[++blocks] = s[1] }; next }
                FILENAME ~ /ids$/ { k = $1 + 1; n = k
                                    if (match($2, /(^| )scan=[0-9]+/)) { t = substr($2, RSTART, RLENGTH); sub(/.*=/, "", t); n = t + 0 }
                                    scanOf[n] = first[k]; next }
                $1 == "scan" { for (i = 1; i <= NF; i++) col[$i] = i; next }
                "e-value" in col { scan = mzml ? scanOf[$col["scan"]] : $col["scan"]
                                   print scan "\t" $col["charge"] "\t" $col["plain_peptide"] "\t" $col["e-value"] }' \
                "$dir/ours.mgf" "$dir/ours.mzML.ids" "$dir/$input-$setting.txt" | sort >"$dir/$input-$setting.hits"
        done
        if ! cmp -s "$dir/ours.mgf-$setting.hits" "$dir/ours.mzML-$setting.hits"; then
            echo "identifications.sh: $name $setting: the mzML file's hits differ from the MGF file's" >&2
            diff "$dir/ours.mgf-$setting.hits" "$dir/ours.mzML-$setting.hits" | head -5 >&2
            exit 1
        fi
    done
done
