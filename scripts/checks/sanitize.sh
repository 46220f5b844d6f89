#!/usr/bin/env bash
# Every test under AddressSanitizer and UndefinedBehaviorSanitizer (clang), on an Xvfb display.
# Shares its build folder and configuration with png-sanitize.sh, so the tree is built once.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-sanitize
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFENWO_SANITIZE=ON -DFENWO_FUZZ=ON -DFENWO_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${JOBS:-6}"

# Qt's own allocations live to the end of the program: leaks are not ours to judge here.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The screen tests time real programs' windows as a user sees them; under the sanitizers they run
# too slowly for that, and the plain run above covers them.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure -j4 -E "^screen/"
