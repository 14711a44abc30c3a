# Cross-building the same sources for 64-bit Windows (g++-mingw-w64-x86-64), where only 64-bit Wine can
# be had to try them (scripts/wine-smoke.sh falls back to it):
#   cmake -S . -B build-windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
