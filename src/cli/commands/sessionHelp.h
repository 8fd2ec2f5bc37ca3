// The end of "update --help" and "info --help": every exit status, from the
// one list of them (exitCodes.h), and examples.
#pragma once

#include <string>

std::string sessionHelpFooter(bool infoOnly);
