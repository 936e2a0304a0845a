#!/usr/bin/env bash
# Runs clang-tidy with the project's checks (.clang-tidy) over every C++ source file, using the
# compile commands of the build tree given (default build/). Fails on any finding.
#
# A tree built in batches lists the batch files (Unity/unity_N_cxx.cxx, each including a few
# sources) instead of the sources; clang-tidy then reads each batch once and reports findings in
# the sources it includes, which lie under the folders of the header filter. Flags only GCC
# knows (such as the batch build's -Wno-subobject-linkage) are not findings.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
root=$(pwd)
run-clang-tidy -p "$build" -j "$(nproc)" -quiet -extra-arg=-Wno-unknown-warning-option \
    "^$root/(src|tools|tests|bench)/.*\.cpp\$" '/Unity/unity_[0-9]+_cxx\.cxx$' \
    >"$build/clang-tidy.log" 2>&1 || {
    sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E 'warning:|error:' | sort -u >&2
    echo "clang-tidy found faults; the whole report is in $build/clang-tidy.log" >&2
    exit 1
}
