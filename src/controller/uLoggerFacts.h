// What a run learnt of its logger and of the image chosen for it, as facts
// for every front end: the summary table, the live lines and the JSON result
// read these instead of the texts the report shows.
#pragma once

#include "images/uFWVersions.h"
#include "session/uNotify.h"

#include <cstdint>
#include <string>

// The logger as it told of itself; 0xFFFF (codes) or -1 (numbers) where it
// did not (yet).
struct TLoggerIdentity {
    std::uint16_t firstClass = 0xFFFF;  // the class it answered with first
    std::uint16_t updateClass = 0xFFFF; // the class the update is for (bootloader)
    // Versions as major << 8 | minor: the one told with the first class,
    // and the last one told (the bootloader's once the logger switched).
    std::int32_t firstVersion = -1;
    std::int32_t version = -1;
    std::uint16_t platform = 0xFFFF;
    std::uint16_t print = 0xFFFF;
    std::int32_t info = -1;
    std::int32_t updateInfo = -1;
    // The logger told its print (0xFFFF then: a print code without a name).
    bool printTold = false;

    // The class that names the logger: the one the update is for where the
    // logger told it, else the one it answered with first (a logger met in
    // its bootloader answers with the bootloader's class first).
    std::uint16_t loggerClass() const { return updateClass != 0xFFFF ? updateClass : firstClass; }
    bool operator==(const TLoggerIdentity&) const = default;
};

// Takes in what n tells of the logger; false when it tells nothing.  The
// first class answered is kept for the whole run.
bool takeIdentity(TLoggerIdentity& identity, const TNotification& n);

// "Tarvek2 A10e WLAN UART" once the logger told its print; empty before.  A
// code without a name shows as its number ("Tarvekx print 65535").
std::string loggerName(const TLoggerIdentity& identity);

// A device code's name for a person: the name, or where the table names it
// "?", the code's number, so that an unknown code can still be told apart.
std::string codeText(std::uint16_t code, const std::string& name);
std::string classText(std::uint16_t code, std::uint16_t print);
std::string platformText(std::uint16_t code);
std::string printText(std::uint16_t code);

// An image as imageName() names it ("Tarvek2 V2.08, A10e WLAN UART, BL3.0"),
// with unknown codes as numbers: "class 4660 V2.08, print 99, BL3.0" where
// imageName() says "? V2.08, ?, BL3.0".
std::string imageText(const TBl3FileHeader& header);

// The image chosen for the logger: its catalog slot (0 the file slot, 1 and
// up the built-in images, -1 none yet) and its header.
struct TChosenImage {
    int slot = -1;
    TBl3FileHeader header;

    bool chosen() const { return slot >= 0; }
    bool operator==(const TChosenImage&) const = default;
};
