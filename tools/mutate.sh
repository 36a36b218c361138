#!/usr/bin/env bash
# Mutation check: puts one small fault at a time into the game's code (the
# list is tools/mutants.txt), rebuilds what that touches, runs the unit
# tests and puts the file back. A mutant the tests do not notice is a
# survivor: a place where a real fault would slip through.
#   tools/mutate.sh [build-dir] [file-pattern]      (make mutate)
# A file pattern (a grep -E expression) limits the run to the mutants of the
# files it matches, for a quick look while working on them.
# With MUTATE_MAP=FILE every test binary runs whole for each mutant and FILE
# gets a line "file:line<TAB>the tests that failed": a test that is never
# the only one to notice a mutant is a candidate for merging or deleting.
# The source tree is always restored, also when interrupted; a run killed
# outright is repaired at the start of the next one.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-mutate}
only=${2:-.}
list=tools/mutants.txt
jobs=$(nproc)
mkdir -p "$build"
pending=$build/restore.pending

restore() {
    if [ -f "$pending" ]; then
        local file
        file=$(head -1 "$pending")
        cp "$build/original" "$root/$file" && rm -f "$pending"
    fi
}
restore
trap 'restore; exit 130' INT TERM
trap restore EXIT

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSW_ASSETS=OFF -DSW_BENCH=OFF >/dev/null || exit 1
# What a fault in a file can show in: the SDL layers' tests, or the core
# tests and the call transcripts (tried first: they take a second).
bins_for() {
    case $1 in
        src/present/graphics_sdl.cpp | src/present/sound_sdl.cpp | src/present/scaler.cpp | src/platform/*)
            echo sdl_tests ;;
        *) echo calls core_tests ;;
    esac
}
build_for() {
    local -a targets=()
    case " $(bins_for "$1") " in *" sdl_tests "*) targets+=(sdl_tests) ;; esac
    case " $(bins_for "$1") " in *" core_tests "*) targets+=(core_tests score_writer replay) ;; esac
    cmake --build "$build" -j "$jobs" --target "${targets[@]}" >"$build/build.log" 2>&1
}
build_all() { cmake --build "$build" -j "$jobs" --target core_tests sdl_tests score_writer replay >"$build/build.log" 2>&1; }

# The replay tool's printout of each script of tests/calls against the one
# recorded there; prints the scripts whose printout differs.
calls() {
    local s
    for s in tests/calls/*.script; do
        timeout 120 "$build/tools/replay" --calls "$s" 2>/dev/null | cmp -s - "${s%.script}.calls" ||
            echo "calls/$(basename "$s")"
    done
}

# Each test binary that can notice a fault in a file, cheapest first.
run_tests() {
    local file=$1 t
    local -a bins
    read -ra bins <<<"$(bins_for "$file")"
    local failed=0 this out=$build/run.txt
    for t in "${bins[@]}"; do
        if [ "$t" = calls ]; then
            fails=$(calls)
            [ -z "$fails" ] && continue
            [ -z "${MUTATE_MAP:-}" ] && return 1
            failed=1 map_fails+="$(echo $fails) "
            continue
        fi
        # A mutant that crashes the tests is as dead as one that fails them.
        if [ -z "${MUTATE_MAP:-}" ]; then
            (SW_SOAK_TICKS=50000 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 \
                "$build/tests/$t" --gtest_fail_fast --gtest_brief=1 >/dev/null 2>&1) 2>/dev/null || return 1
        else
            this=0
            (SW_SOAK_TICKS=50000 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 \
                "$build/tests/$t" --gtest_brief=1 >"$out" 2>&1) 2>/dev/null || this=1
            fails=$(grep -o '^\[  FAILED  \] [A-Za-z0-9_.]*' "$out" | sort -u | cut -c14- | tr '\n' ' ')
            [ "$this" = 1 ] && [ -z "$fails" ] && fails="($t crashed)"
            [ "$this" = 1 ] && failed=1
            map_fails+="$fails"
        fi
    done
    return $failed
}

build_all || { echo "mutate: the unmutated tree does not build (see $build/build.log)"; exit 1; }
for f in $(cut -d@ -f1 "$list" | grep -v '^#' | grep -E -- "$only" | sort -u); do
    run_tests "$f" || { echo "mutate: the tests fail on the unmutated tree ($f)"; exit 1; }
done

killed=0 total=0 equivalent=0 n=0 broken=0
survivors=()
while IFS= read -r entry; do
    case $entry in '' | '#'*) continue ;; esac
    n=$((n + 1))
    [[ ${entry%% @@ *} =~ $only ]] || continue
    # file @@ text @@ replacement [@@ = reason]
    file=${entry%% @@ *}
    rest=${entry#* @@ }
    from=${rest%% @@ *}
    rest=${rest#* @@ }
    to=${rest%% @@ *}
    why=""
    [ "$rest" != "$to" ] && why=${rest#* @@ }
    cp "$root/$file" "$build/original"
    echo "$file" >"$pending"
    line=$(FROM=$from TO=$to perl -0777 -i -pe '
        BEGIN { ($f, $t) = ($ENV{FROM}, $ENV{TO}); s/<NL>/\n/g for $f, $t; }
        my $at = index($_, $f); my $again = $at < 0 ? -1 : index($_, $f, $at + 1);
        if ($at < 0 || $again >= 0) { print STDERR ($at < 0 ? "missing" : "twice"); $_ = $_; }
        else { print STDERR 1 + (substr($_, 0, $at) =~ tr/\n//); substr($_, $at, length $f) = $t; }
    ' "$root/$file" 2>&1)
    where="$file:$line"
    if ! [[ $line =~ ^[0-9]+$ ]]; then
        echo "MISSING mutant $n: text $line in $file: $from"
        broken=$((broken + 1))
        restore
        continue
    fi
    if ! build_for "$file"; then
        echo "BROKEN mutant $n at $where does not build: $from => $to"
        broken=$((broken + 1))
        restore
        continue
    fi
    if [ -n "$why" ]; then
        equivalent=$((equivalent + 1))
        echo "equivalent $where: $from => $to ($why)"
    else
        total=$((total + 1))
        map_fails=""
        if run_tests "$file" 2>/dev/null; then
            survivors+=("$where: $from => $to")
            echo "SURVIVED $where: $from => $to"
        else
            killed=$((killed + 1))
        fi
    fi
    [ -n "${MUTATE_MAP:-}" ] && [ -z "$why" ] && printf '%s\t%s\n' "$where" "$map_fails" >>"$MUTATE_MAP"
    restore
done <"$list"
build_all
echo "equivalent mutants (not counted): $equivalent"
echo "killed $killed of $total"
# A survivor, or a mutant that no longer applies, fails the run: the list
# must follow the code.
if [ ${#survivors[@]} -gt 0 ] || [ $broken -gt 0 ]; then
    echo "mutate: ${#survivors[@]} survived, $broken no longer apply (see above)"
    exit 1
fi
