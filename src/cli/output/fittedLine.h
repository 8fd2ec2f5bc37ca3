// One line of fields for a person at a terminal, fitted to its width: the
// fields apart by two blanks, in columns while there is room.  What gives way
// when the line is too long is said per field; the last field (what the
// session does, or its outcome) is the one a person reads, so it gives way
// last.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TLineField {
    std::string text;
    std::size_t column = 0; // padded to this width while the padded line fits
    int dropRank = 0;       // dropped when too long: 1 first, then 2, ...; 0 never
    bool keepsTail = false; // shortened from its start, like a port's path: its folders go
                            // first ("ttyUSB0"), then ".." stands for what else goes
};

// The fields as one line of at most maxLength characters.  In turn, until it
// fits: the columns' padding goes, the fields with a drop rank go, the fields
// that keep their tail are shortened (to no less than 8 characters), and at
// last the end of the last field is cut, marked by "..." (at 80 columns only
// the longest outcome texts beside a port's name).
std::string fittedLine(std::vector<TLineField> fields, std::size_t maxLength);

// text broken at blanks into lines of at most maxLength characters, each
// starting with indent blanks (a word longer than the room beside them is
// cut).  No line break at the end.
std::string wrappedText(const std::string& text, std::size_t maxLength, std::size_t indent);
