// The command line of tarvek2-cli: its commands, their options, help and the
// version, from the arguments to the exit status.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Parses args (without the program's name) and runs the command.  Help, the
// version and usage errors go to out and err; a command writes where it
// writes.  "help" and "help COMMAND" print the help; a word that is not a
// command is named with the list of commands (exit 2).
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The long options (without their dashes) the program itself knows, then
// those of each command, in the order of the help.
struct TCommandOptions {
    std::string command; // empty: the program's own options
    std::vector<std::string> options;
};
std::vector<TCommandOptions> cliOptions();
