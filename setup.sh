#!/usr/bin/env bash
# One command for every set-up on a fresh Debian machine:
#   ./setup.sh demo   install what is missing, build, run a demo extraction
#   ./setup.sh test   install what is missing, build, run every test
#                     (once plainly, once under AddressSanitizer + UBSan),
#                     the two-thread stages under ThreadSanitizer,
#                     then each fuzz target for a minute
#   ./setup.sh install PREFIX   install what is missing, build the programs and
#                     tools (no tests) and install them under PREFIX
#                     (cmake --install: PREFIX/bin and PREFIX/share/quarrow)
#   ./setup.sh serve [PORT]   install what is missing, build, serve the form
#                     pages and both programs on 127.0.0.1:PORT (default 8080)
#   ./setup.sh bench  install what is missing (with the search engine and its
#                     example runs), build, and count what Comet identifies
#                     from our MGF against the runs' exports
#                     (bench/identifications.sh)
set -euo pipefail
cd "$(dirname "$0")"

# ProteoWizard's data library needs the Boost headers and zlib to build against;
# the streaming reader inflates with libdeflate; snakemake runs the workflow
# over many runs (workflow/) and its test; the tests hold the reader's XML
# tokenizer to libxml2.
packages=(cmake make g++ googletest libgtest-dev libpwiz-dev libboost-dev zlib1g-dev libdeflate-dev libssl-dev snakemake libxml2-dev)

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

# The workflow's SLURM profile is tested through a one-node cluster of the
# test's own (workflow/one-node-slurm.sh): SLURM's daemons and client, and munge.
slurm_packages=(slurmctld slurmd slurm-client munge)

build() {  # build <dir> [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

run_tests() {  # run_tests <dir>
    ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

# The identification benchmark only (not a test): Debian's Comet search
# engine, and OpenMS's example runs with their target-decoy database.
bench_packages=(comet-ms openms-doc)

# The mzML peak lists are checked by the tools that read them: xmllint against
# the format's schemas, which OpenMS ships, and OpenMS's FileInfo.
mzml_check_packages=(libxml2-utils openms-common topp)

# The libFuzzer targets need clang and its run-time libraries; only they and
# the libraries they link are built, under ASan + UBSan.
fuzz_packages=(clang libclang-rt-14-dev)
fuzz_targets=(query_parameters tsv_reader instrument_file formula open_format root_paths xml_tokens)

fuzz() {
    cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON \
        -DQUARROW_TESTS=OFF -DQUARROW_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs" --target fuzz_targets
    for target in "${fuzz_targets[@]}"; do
        # New inputs go to a scratch corpus; the committed seeds stay as they are.
        # The targets change their working directory: every path is absolute.
        local out=$PWD/build-fuzz
        local corpus=$out/corpus/$target log=$out/$target.log
        mkdir -p "$corpus"
        echo "Fuzzing $target for ${QUARROW_FUZZ_SECONDS:-60} s"
        if ! "$out/tests/fuzz/${target}_fuzz" -max_total_time="${QUARROW_FUZZ_SECONDS:-60}" -timeout=20 \
                -rss_limit_mb=2048 -artifact_prefix="$out/$target-" "$corpus" "$PWD/tests/fuzz/corpus/$target" \
                >"$log" 2>&1; then
            tail -n 60 "$log"
            echo "Fuzz target $target found a fault; the input is in build-fuzz/$target-*" >&2
            return 1
        fi
        tail -n 1 "$log"
    done
}

# The demo runs five programs, and README's workflow commands two more (the
# key listing and the run catalogue); it builds those and nothing else (no
# tests), so a fresh checkout reaches its first extraction in a few minutes.
demo_targets=(quarrow-rungen quarrow-extract quarrow-report yepharvest wiffharvest quarrow-keys quarrow-runs)

demo() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON >/dev/null
    cmake --build build -j "$jobs" --target "${demo_targets[@]}"
    local work status
    work=$(mktemp -d /tmp/quarrow-demo-XXXXXX)
    echo "Generating a run of 400 spectra: $work/sample7.d/Analysis.mzML"
    build/tools/quarrow-rungen --folder --output "$work/sample7.d" --spectra 400 --seed 7 \
        --truth "$work/sample7.truth.tsv" >/dev/null
    echo "Extracting it with the command line (build/tools/quarrow-extract --help lists every key), which runs"
    echo "yepharvest as a web server would, with the front ends' defaults:"
    echo
    echo "    build/tools/quarrow-extract $work/sample7.d --out $work/out"
    echo
    status=0
    build/tools/quarrow-extract "$work/sample7.d" --out "$work/out" || status=$?
    echo
    echo "quarrow-extract exit status: $status"
    echo "Peak lists: $work/out/sample7/peaklists/ (sample7.mgf, $(grep -c '^BEGIN IONS' "$work/out/sample7/peaklists/sample7.mgf") spectra)"
    echo "Record:     $work/out/sample7/run.tsv (settings, program, version, times, outcome, counts)"
    echo "Run report: $work/out/sample7/report.html"
    echo "Truth:      $work/sample7.truth.tsv (what the generator simulated)"
    echo
    echo "Run statistics:"
    cat "$work/out/sample7/logs/runStats.txt"
    echo

    echo "Generating a two-sample QSTAR .wiff run: its exports $work/lysate3-Sample1.mzML and -Sample2.mzML"
    build/tools/quarrow-rungen --sciex qstar --samples 2 --profile --spectra 300 --seed 7 \
        --output "$work/lysate3.wiff" --truth "$work/lysate3.truth.tsv" >/dev/null
    echo "Extracting it (wiffharvest, chosen by the .wiff ending), with .pkl files beside the MGF files:"
    echo
    echo "    build/tools/quarrow-extract $work/lysate3.wiff --peakListFormat both --out $work/out"
    echo
    status=0
    build/tools/quarrow-extract "$work/lysate3.wiff" --peakListFormat both --out "$work/out" || status=$?
    echo
    echo "quarrow-extract exit status: $status"
    echo "Peak lists: $work/out/lysate3/peaklists/ ($(ls "$work/out/lysate3/peaklists" | wc -l) files)"
    echo "Run report: $work/out/lysate3/report.html (a section per sample)"
}

# The web server needs lighttpd; the browser test also Chromium and Node.js
# (already present on most machines: Debian's only where node is missing).
web_packages() {
    packages+=(lighttpd)
    if [ "${1:-}" = browser ]; then
        packages+=(chromium)
        command -v node >/dev/null || packages+=(nodejs npm)
    fi
}

serve() {  # serve [PORT]
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON >/dev/null
    # The programs that exist in this checkout, the launcher, the report tool
    # it runs for every request, and the generator.
    local targets=(quarrow-launch quarrow-report quarrow-rungen yepharvest)
    local known
    known=$(cmake --build build --target help)
    grep -qE '(^|\.\.\. )wiffharvest$' <<<"$known" && targets+=(wiffharvest)
    cmake --build build -j "$jobs" --target "${targets[@]}"
    if [ -z "${QUARROW_DATA_ROOT:-}" ]; then
        export QUARROW_DATA_ROOT=$PWD/build/web-demo/data
        if [ ! -d "$QUARROW_DATA_ROOT/sample7.d" ]; then
            echo "Generating a demo run of 400 spectra: $QUARROW_DATA_ROOT/sample7.d"
            mkdir -p "$QUARROW_DATA_ROOT"
            build/tools/quarrow-rungen --folder --output "$QUARROW_DATA_ROOT/sample7.d" --spectra 400 --seed 7 \
                --truth "$QUARROW_DATA_ROOT/sample7.truth.tsv" >/dev/null
        fi
    fi
    export QUARROW_RESULTS_ROOT=${QUARROW_RESULTS_ROOT:-$PWD/build/web-demo/results}
    exec web/serve.sh "${1:-8080}"
}

case "${1:-}" in
    demo) install_missing; demo ;;
    serve) web_packages; install_missing; serve "${2:-8080}" ;;
    bench)
        packages+=("${bench_packages[@]}" python3)
        install_missing
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON >/dev/null
        cmake --build build -j "$jobs" --target yepharvest quarrow-extract
        bench/identifications.sh build
        ;;
    install)
        [ $# -eq 2 ] || { echo "usage: $0 install PREFIX" >&2; exit 2; }
        install_missing
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON >/dev/null
        cmake --build build -j "$jobs" --target quarrow_programs
        cmake --install build --prefix "$2"
        ;;
    test)
        web_packages browser
        packages+=("${fuzz_packages[@]}" "${slurm_packages[@]}" "${mzml_check_packages[@]}")
        install_missing
        (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
        build build
        run_tests build
        build build-sanitize -DQUARROW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp" run_tests build-sanitize
        cmake -S . -B build-thread -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARROW_WERROR=ON \
            -DQUARROW_SANITIZE_THREAD=ON >/dev/null
        cmake --build build-thread -j "$jobs" --target util_tests yepharvest wiffharvest quarrow-rungen
        tests/sanitizer/thread_check.sh build-thread
        ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp" fuzz
        ;;
    *) echo "usage: $0 demo|install PREFIX|test|serve [PORT]|bench" >&2; exit 2 ;;
esac
