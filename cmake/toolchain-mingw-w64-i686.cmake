# Cross build for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686).
# Linked statically like the 64-bit build.  No emulator is set: Debian's
# 64-bit Wine does not run 32-bit programs (it exits 0 without running them),
# so these programs are built and linked here but never counted as tested.
#
#   cmake -S . -B build/win32 -G Ninja -DTARVEK2_GUI=OFF \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake
set(TARVEK2_MINGW_TRIPLET i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-w64-common.cmake")
