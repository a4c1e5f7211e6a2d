# Shared by the benchmark scripts: a scratch folder (memory-backed by
# default, so that the file system's own cost of creating thousands of small
# files does not hide the program's) holding the parameter files, and the
# measuring helpers. Sourced with the build folder in $build.
cmake --build "$build" -j "$(nproc)" --target "$@" >/dev/null
build_abs=$(cd "$build" && pwd)
place=${BENCH_DIR:-/dev/shm}
[ -d "$place" ] && [ -w "$place" ] || place=/tmp
work=$(mktemp -d "$place/quarrow-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r msparams_quarrow "$work/"

measure() {  # measure <label> <command...>: prints "seconds peak-KiB"
    local label=$1; shift
    /usr/bin/time -f "%e %M" -o "$work/time.$label" "$@" >/dev/null
    cat "$work/time.$label"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", (b > 0 ? a / b : 0) }'; }
