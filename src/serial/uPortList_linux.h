// Port discovery from a sysfs tree, with the tree's root given, so that a
// test can hand in a tree of its own.
#pragma once

#include <string>
#include <vector>

// Replaces sl with "/dev/<name>" for every entry of <sysRoot>/class/tty whose
// device hangs, somewhere up its device chain, on a USB device.  A missing
// tree gives an empty list.
void getPortListFrom(const std::string& sysRoot, std::vector<std::string>& sl);
