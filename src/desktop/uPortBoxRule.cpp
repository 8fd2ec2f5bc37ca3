#include "desktop/uPortBoxRule.h"

TPortBoxFill portBoxAtStart(const std::vector<std::string>& ports, const std::string& optionPort) {
    TPortBoxFill f;
    f.items = ports;
    f.selectFirst = !ports.empty();
    if (!optionPort.empty())
        f.text = optionPort;
    else if (!ports.empty())
        f.text = ports.front();
    return f;
}

TPortBoxFill portBoxRefill(const std::vector<std::string>& ports, const std::string& currentText,
                           bool appActive, bool boxEnabled, bool droppedDown) {
    TPortBoxFill f = portBoxOnOpen(ports, currentText);
    f.openDropDown = appActive && boxEnabled;
    f.closeDropDown = f.openDropDown && droppedDown;
    return f;
}

TPortBoxFill portBoxOnOpen(const std::vector<std::string>& ports, const std::string& currentText) {
    TPortBoxFill f;
    f.items = ports;
    f.text = currentText;
    return f;
}
