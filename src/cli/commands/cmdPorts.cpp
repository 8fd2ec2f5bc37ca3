// "ports": the serial ports a logger can be on, one per line.
#include "cli/commands/cmdPorts.h"
#include "serial/uPortList.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

TCommandRun addPortsCommand(CLI::App& app) {
    app.add_subcommand("ports", "List the USB serial ports a logger can be connected to");
    return [] {
        std::vector<std::string> ports;
        getPortList(ports);
        for (const auto& p : ports)
            std::cout << p << '\n';
        if (ports.empty())
            std::cerr << "tarvek2-cli: no USB serial port found. Plug in the logger's cable "
                         "(the port appears a few seconds later), then list the ports again.\n";
        return 0;
    };
}
