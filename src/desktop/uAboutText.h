// The text of "About": product, version (with the commit it was built from)
// and maker, one to a line.  A desktop program may add a line of its own
// (the Qt program: the Qt version it runs on).
#pragma once

#include <string>

std::string aboutLines();
