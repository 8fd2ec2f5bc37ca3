// Command-line options of the form "key" directly followed by its value, such
// as "mf:+": no blank, no equals sign between them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Longest value that an option gives; the rest of a longer argument is cut.
inline constexpr std::size_t cMaxOptionValue = 1000;

// The value of the first argument (args[1] onwards; args[0] is the program)
// that begins with key, ASCII case ignored, and is longer than key; def when
// none does.  An argument that is the key alone does not count.
std::string getOption(const std::string& key, const std::string& def,
                      const std::vector<std::string>& args);
