// "station" without hot-plug events: the port watcher then reads the port
// list itself every so often.  The operator is told once, with the reason
// where it is known, since a logger plugged in is then noticed only at the
// next reading.
#pragma once

#include <string>

// The line for standard error (with its newline); rescanMs: how often the
// list is read.
std::string hotPlugFallbackNote(int rescanMs);
