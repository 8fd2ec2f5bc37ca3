// tarvek2-cli: the headless Tarvek2 firmware updater.
#include "cli/commands/cliApp.h"

#include <iostream>

int main(int argc, char** argv) {
    return runCli({argv + 1, argv + argc}, std::cout, std::cerr);
}
