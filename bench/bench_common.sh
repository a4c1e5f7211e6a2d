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
# The floor and the program run this many times, one after the other, and
# each time's ratio is taken within that round: the machine is shared.
rounds=${BENCH_ROUNDS:-3}

measure() {  # measure <label> <command...>: prints "wall-seconds user-seconds system-seconds peak-KiB"
    local label=$1; shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.$label" "$@" >/dev/null
    cat "$work/time.$label"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# The program on its run, `rounds` times against the floor: each round's
# figures and ratios, then the round of least wall time. Sets best_wall,
# best_memory and best_line. The program's folders are emptied before each
# round, so that they hold one run's files.
#   against_floor <name> <floor command (array name)> <program command (array name)> <peak-list folder> <log folder>
against_floor() {
    local name=$1 peaks=$4 logs=$5
    local -n floor_command=$2 program_command=$3
    best_wall=
    for round in $(seq "$rounds"); do
        rm -rf "$peaks" "$logs" && mkdir -p "$peaks" "$logs"
        read -r fw fu fs fm < <(measure "floor" "${floor_command[@]}")
        read -r pw pu ps pm < <(measure "$name" "${program_command[@]}")
        local line
        line=$(printf '%s %5.2f s wall (%5.2f user, %4.2f system), %6d KiB | floor %5.2f s, %6d KiB | x%s floor time, x%s floor memory | %d files' \
            "$name" "$pw" "$pu" "$ps" "$pm" "$fw" "$fm" "$(ratio "$pw" "$fw")" "$(ratio "$pm" "$fm")" "$(ls "$peaks" | wc -l)")
        printf '          round %d: %s\n' "$round" "$line"
        if [ -z "$best_wall" ] || awk -v a="$pw" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
            best_wall=$pw best_memory=$pm best_line=$line
        fi
    done
}
