# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# The -posix compilers carry std::thread; the programs are linked statically,
# so they run without any MinGW DLL beside them.  Test programs run under Wine.
#
#   cmake -S . -B build/win64 -G Ninja -DTARVEK2_GUI=OFF \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
set(TARVEK2_MINGW_TRIPLET x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-w64-common.cmake")

find_program(TARVEK2_WINE NAMES wine wine64)
if(TARVEK2_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TARVEK2_WINE}")
endif()
