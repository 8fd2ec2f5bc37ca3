# Shared part of the mingw-w64 toolchains; TARVEK2_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
if(TARVEK2_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# Debian names the packages after the architecture: x86_64 is x86-64 there.
string(REGEX REPLACE "-w64-mingw32$" "" _tarvek2_mingw_arch "${TARVEK2_MINGW_TRIPLET}")
string(REPLACE "_" "-" _tarvek2_mingw_arch "${_tarvek2_mingw_arch}")
foreach(_tool g++-posix:g++-mingw-w64-${_tarvek2_mingw_arch} windres:binutils-mingw-w64-${_tarvek2_mingw_arch})
  string(REPLACE ":" ";" _tool "${_tool}")
  list(GET _tool 0 _program)
  list(GET _tool 1 _debian)
  find_program(_tarvek2_found_${_program} ${TARVEK2_MINGW_TRIPLET}-${_program})
  if(NOT _tarvek2_found_${_program})
    message(FATAL_ERROR "${TARVEK2_MINGW_TRIPLET}-${_program} is missing: install the Debian package "
      "${_debian} (scripts/setup.sh base windows installs every package the Windows build needs)")
  endif()
endforeach()

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

