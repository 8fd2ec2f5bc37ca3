# Shared part of the mingw-w64 toolchains; TARVEK2_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
if(TARVEK2_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(CMAKE_C_COMPILER ${TARVEK2_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVEK2_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVEK2_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVEK2_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLLs next to the programs: libgcc, libstdc++ and
# winpthreads go into the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

