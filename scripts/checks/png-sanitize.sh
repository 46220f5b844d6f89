#!/usr/bin/env bash
# The PNG reader under AddressSanitizer and UndefinedBehaviorSanitizer (clang): its tests, then
# a bounded libFuzzer run of OpenPNG from a small seed corpus (PNG_FUZZ_SECONDS, default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-sanitize
seconds=${PNG_FUZZ_SECONDS:-60}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFENWO_SANITIZE=ON -DFENWO_FUZZ=ON -DFENWO_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${JOBS:-6}" --target png_fuzz test_png_LoadPNG_test test_png_CBitmap_test \
  test_png_picturebox_test test_png_gdi_test

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in LoadPNG CBitmap gdi picturebox; do
  QT_QPA_PLATFORM=offscreen "$build/tests/test_png_${t}_test" --gtest_brief=1
done

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/png/corpus/*.png "$corpus"/
# The seeds were written by the tests' PNG writer (tests/support/pngfile.h). 4 KB of input
# inflate to 4 MB at most, and no step makes more than 32 bytes (a BGRA pixel) of each of those
# bits: an allocation beyond the limit was asked for by a header alone.
"$build/tests/png_fuzz" -max_total_time="$seconds" -max_len=4096 -malloc_limit_mb=256 -rss_limit_mb=2048 \
  -print_final_stats=1 \
  "$corpus" 2>&1 | tail -n 25
