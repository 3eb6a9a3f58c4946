#!/usr/bin/env bash
# Builds the linescope fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds.
#   linescope/fuzz/run-fuzz.sh [SECONDS] [BUILD-DIR] [JOBS]
# New inputs go to BUILD-DIR/corpus, findings to BUILD-DIR/findings; the
# kept corpus in linescope/fuzz/corpus is only read. To keep an input,
# minimise it (-minimize_crash=1 or -merge=1) and copy it there.
set -euo pipefail

seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
linescope=$(dirname "$here")
build=${2:-$(dirname "$linescope")/build-linescope-fuzz}
jobs=${3:-1}

# Only linescope is built here: the rest of the suite needs Qt and is of
# no use to the fuzzer, so a small top level stands in for the real one.
mkdir -p "$build/top" "$build/corpus" "$build/findings"
cat > "$build/top/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(LinescopeFuzz LANGUAGES C CXX)
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/lib)
set(BUILD_TESTING OFF)
option(TALLYLINE_FUZZ "" ON)
function(tallyline_warnings target)
  target_compile_options(\${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
enable_testing()
add_subdirectory("$linescope" linescope)
CMAKE

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$build/top" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target linescope_fuzz -j 2

parallel=()
if [ "$jobs" -gt 1 ]; then parallel=(-jobs="$jobs" -workers="$jobs"); fi
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$build"
exec "$build/bin/linescope_fuzz" \
  -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  "${parallel[@]}" \
  -dict="$here/capture.dict" \
  -artifact_prefix="$build/findings/" \
  "$build/corpus" "$here/corpus"
