// A small update image for the file slot: a handful of full data records
// for the simulated logger's default identity (platform 21, print 38, class
// 0x6621), the vector-table record among them.  Most faults need only a few
// records to show; the built-in images take seconds to write.
#pragma once

#include "images/uFWCatalog.h"

#include <cstdint>
#include <string>
#include <vector>

// The image's lines, end line included.
std::vector<std::string> smallImageLines();
// The blocks a complete update writes, in order: file order, the vector
// table last.
std::vector<std::uint16_t> smallImageBlocks();
// Index in the file of the n-th record written (1-based), as the session
// reports it in cNT_PROG_ERROR_LINE.
int smallImageLineOfRecord(int n);
// Puts the image into the catalog's file slot and selects it.
void useSmallImage(TFWCatalog& catalog);
