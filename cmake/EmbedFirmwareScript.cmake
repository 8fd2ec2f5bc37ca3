# cmake -DUNIT=name -DSOURCE=image.txt -DOUT=header.h -P EmbedFirmwareScript.cmake
file(READ "${SOURCE}" content)
string(REPLACE "\r" "" content "${content}")
string(REGEX REPLACE "\n$" "" content "${content}")
string(REPLACE ";" "\\;" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

set(keys "bootloader" "bootloader version" "class" "versionH" "versionL" "platform" "print" "date")
set(values "")
foreach(i RANGE 0 7)
  list(GET lines ${i} line)
  list(GET keys ${i} key)
  string(FIND "${line}" "=" eq)
  string(SUBSTRING "${line}" 0 ${eq} k)
  if(NOT k STREQUAL key)
    message(FATAL_ERROR "${SOURCE}: header line ${i} is '${line}', expected key '${key}'")
  endif()
  math(EXPR start "${eq} + 1")
  string(SUBSTRING "${line}" ${start} -1 v)
  list(APPEND values "${v}")
endforeach()
list(GET values 0 bl)
list(GET values 1 bl_ver)
list(GET values 2 cls)
list(GET values 3 verH)
list(GET values 4 verL)
list(GET values 5 platform)
list(GET values 6 print)
list(GET values 7 date)

list(SUBLIST lines 8 -1 data)
list(LENGTH data count)
set(body "")
foreach(line IN LISTS data)
  if(line MATCHES "=")
    continue()
  endif()
  string(APPEND body "    \"${line}\",\n")
endforeach()

file(WRITE "${OUT}.tmp"
"// Generated from ${SOURCE} at build time. Do not edit.\n"
"#pragma once\n"
"#include <array>\n"
"#include <string_view>\n"
"#include \"images/uFWVersions.h\"\n\n"
"namespace ${UNIT} {\n\n"
"inline const TBl3FileHeader cFWHeader{${cls}, ${verH}, ${verL}, ${platform}, ${print}, \"${date}\", ${bl}, ${bl_ver}};\n\n"
"inline constexpr std::array<std::string_view, ${count}> cFWLines{{\n${body}}};\n\n"
"} // namespace ${UNIT}\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
