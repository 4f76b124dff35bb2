#!/usr/bin/env bash
# The planted-fault check: plants each fault of a list (faults.txt beside
# this script), one at a time, in a scratch copy of the tree, rebuilds the
# native test programs there incrementally, runs them with a time bound, and
# prints whether the suite killed the fault and which test caught it. A fault
# that breaks the build counts as killed. It runs on demand, not in CI: the
# first build of the scratch tree and a rebuild a fault take minutes.
#
#   tests/mutants/run.sh [-l LIST] [-t SECONDS] [NAME...]
#
# NAME... runs only those faults. The scratch tree is $QC_MUTANT_DIR
# (default /tmp/qc-mutants-$UID): src/ (a copy of the working tree, tracked
# and new files alike) and build/, kept between runs so that the next run
# rebuilds only what changed.
set -euo pipefail

usage() { sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; }

root=$(cd "$(dirname "$0")/../.." && pwd)
list=$root/tests/mutants/faults.txt
bound=300
while getopts "l:t:h" option; do
    case $option in
        l) list=$OPTARG ;;
        t) bound=$OPTARG ;;
        h) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[[ -r $list ]] || { echo "run.sh: cannot read the fault list $list" >&2; exit 2; }

work=${QC_MUTANT_DIR:-/tmp/qc-mutants-$(id -u)}
src=$work/src
build=$work/build
mkdir -p "$src" "$build"

# The native suite's GoogleTest programs, the likeliest catchers first. The
# Wine, browser, board and command-line tests are left out: they need what
# a fault in these layers cannot reach faster than these do.
programs=(session_tests studio_tests paint_tests engine_tests render_tests clock_tests format_tests
          drawing_tests player_tests hostile_tests canvas_tests shell_tests platform_tests tools_tests)

# Copies the working tree in; a file whose bytes differ gets a new time, so
# that the build sees it, and one that is the same keeps its old one.
sync_tree() {
    (cd "$root" && git ls-files -z --cached --others --exclude-standard) |
        while IFS= read -r -d '' file; do
            [[ -f $root/$file ]] || continue
            if ! cmp -s "$root/$file" "$src/$file"; then
                mkdir -p "$(dirname "$src/$file")"
                cp "$root/$file" "$src/$file"
            fi
        done
}

build_tree() {
    nice -n 10 cmake --build "$build" -j2 --target "${programs[@]}" >"$work/build.log" 2>&1
}

# Runs the programs in turn; prints the first failing test ("program:Suite.Case")
# and returns 1 on the first failure, 0 when all pass.
run_suite() {
    local program out
    for program in "${programs[@]}"; do
        out=$work/$program.log
        if ! (cd "$build" && timeout "$bound" "bin/$program" --gtest_brief=1 >"$out" 2>&1); then
            local failed
            failed=$(grep -m1 -o '\[  FAILED  \] [A-Za-z0-9_./]*' "$out" | sed 's/.*\] //' || true)
            [[ -n $failed ]] || failed="(crashed or timed out)"
            echo "$program:$failed"
            return 1
        fi
    done
    return 0
}

echo "== syncing $src and building the test programs"
sync_tree
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 ||
    { echo "run.sh: configuring failed, see $work/configure.log" >&2; exit 1; }
build_tree || { echo "run.sh: the unchanged tree does not build, see $work/build.log" >&2; exit 1; }
if caught=$(run_suite); then
    echo "== the unchanged tree passes"
else
    echo "run.sh: the unchanged tree fails ($caught); mend that first" >&2
    exit 1
fi

killed=0
survived=0
survivors=()
while IFS= read -r line; do
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    name=$(echo "${line%%|*}" | xargs)
    rest=${line#*|}
    file=$(echo "${rest%%|*}" | xargs)
    expression=${rest#*|}
    expression=${expression# }
    if (($# > 0)); then
        wanted=0
        for only in "$@"; do [[ $only == "$name" ]] && wanted=1; done
        ((wanted)) || continue
    fi
    target=$src/$file
    [[ -f $target ]] || { echo "run.sh: $name: no file $file" >&2; exit 1; }
    cp "$target" "$work/original"
    sed -E -i "$expression" "$target"
    if cmp -s "$target" "$work/original"; then
        echo "run.sh: $name: the expression changes nothing in $file; mend the list" >&2
        cp "$work/original" "$target"
        exit 1
    fi
    started=$SECONDS
    if ! build_tree; then
        result="killed   $name  (the build fails)"
        killed=$((killed + 1))
    elif caught=$(run_suite); then
        result="SURVIVED $name"
        survived=$((survived + 1))
        survivors+=("$name")
    else
        result="killed   $name  by $caught"
        killed=$((killed + 1))
    fi
    echo "$result  [$((SECONDS - started)) s]"
    # Back as it was, with a new time so that the next build sees it.
    cp "$work/original" "$target"
done <"$list"

total=$((killed + survived))
if ((survived > 0)); then
    echo "== $killed of $total killed; survived: ${survivors[*]}"
else
    echo "== $killed of $total killed"
fi
((total > 0)) || exit 1
# The suite must kill at least 90% of the faults.
((killed * 10 >= total * 9))
