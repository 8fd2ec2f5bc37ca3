// What an image and the logger's bootloader agree on: the line that ends
// every image, the records that are written and the block that goes last.
// The image check and the update session both read them from here.
#pragma once

#include <cstdint>

// The line at the last index of every image.
inline constexpr const char* cEndLine = ":00000001FF";

// Only full data records are written: 64 data bytes of type 00.  Well-formed
// records of another length or type count for the progress and are passed
// over.
inline constexpr std::uint8_t cFullRecordCount = 0x40;
inline constexpr std::uint8_t cDataRecordType = 0x00;

// The block address of the vector table's record (device address 0xF7C0):
// that record is held back and written after all other records.
inline constexpr std::uint16_t cVectorTableBlock = 0x03DF;
