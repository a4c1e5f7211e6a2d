#!/usr/bin/env bash
# One command for every set-up on a fresh Debian machine:
#   ./setup.sh demo   install what is missing, build, run a demo extraction
#   ./setup.sh test   install what is missing, build, run every test
#                     (once plainly, once under AddressSanitizer + UBSan)
set -euo pipefail
cd "$(dirname "$0")"

# ProteoWizard's data library needs the Boost headers and zlib to build against.
packages=(cmake make g++ googletest libgtest-dev libpwiz-dev libboost-dev zlib1g-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() {  # build <dir> [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

run_tests() {  # run_tests <dir>
    ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

demo() {
    build build
    local work
    work=$(mktemp -d /tmp/quarrow-demo-XXXXXX)
    cp -r msparams_quarrow "$work/"
    mkdir -p "$work/logs" "$work/peaklists"
    echo "Generating a run of 400 spectra: $work/sample7.d/Analysis.mzML"
    build/tools/quarrow-rungen --folder --output "$work/sample7.d" --spectra 400 --seed 7 \
        --truth "$work/sample7.truth.tsv" >/dev/null
    echo "Running yepharvest on it as a web server would (working folder $work):"
    echo
    local status=0
    (cd "$work" && env -i QUERY_STRING="xtractorDataFilename=$work/sample7.d/Analysis.yep&autoCharge=Find&logFileDir=$work/logs/&resultsXtractorDir=$work/peaklists/&specFeaturesFilename=specFeatures.txt" \
        "$OLDPWD/build/yepharvest/yepharvest") || status=$?
    echo
    echo
    echo "yepharvest exit status: $status"
    echo "Peak lists: $work/peaklists/ ($(ls "$work/peaklists" | wc -l) .pkl files)"
    echo "Logs:       $work/logs/ (specFeatures.txt, xtractorRejectReasons.txt, parentChargeCheck.txt, runStats.txt)"
    echo "Truth:      $work/sample7.truth.tsv (what the generator simulated)"
    echo
    echo "Run statistics:"
    cat "$work/logs/runStats.txt"
}

case "${1:-}" in
    demo) install_missing; demo ;;
    test)
        install_missing
        build build
        run_tests build
        build build-sanitize -DQUARROW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp" run_tests build-sanitize
        ;;
    *) echo "usage: $0 demo|test" >&2; exit 2 ;;
esac
