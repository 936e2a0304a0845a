#!/usr/bin/env bash
# Runs clang-tidy with the project's checks (.clang-tidy) over every C++ source file, using the
# compile commands of the build tree given (default build/). Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mapfile -t files < <(git ls-files 'src/*.cpp' 'tools/*.cpp' 'tests/*.cpp' 'bench/*.cpp' 2>/dev/null ||
    find src tools tests bench -name '*.cpp')
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "${files[@]}" >"$build/clang-tidy.log" 2>&1 || {
    sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E 'warning:|error:' | sort -u >&2
    echo "clang-tidy found faults; the whole report is in $build/clang-tidy.log" >&2
    exit 1
}
