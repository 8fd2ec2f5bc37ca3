# Turns an image text file (eight header lines, then the records) into a C++
# header with the image as constant data: cFWHeader and cFWLines in a
# namespace named after the unit.  Runs at build time, so no image file is
# read when the program runs.
function(tarvek2_embed_firmware UNIT SOURCE OUT_DIR OUT_VAR)
  set(out "${OUT_DIR}/${UNIT}.h")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND "${CMAKE_COMMAND}" -DUNIT=${UNIT} -DSOURCE=${SOURCE} -DOUT=${out}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFirmwareScript.cmake"
    DEPENDS "${SOURCE}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFirmwareScript.cmake"
    COMMENT "Embedding firmware image ${UNIT}"
    VERBATIM)
  set(${OUT_VAR} "${out}" PARENT_SCOPE)
endfunction()
