// What a front end does with each notification: the text, where it goes and
// the side effects.  The desktop program and the command-line updater both
// render through this, so they show the same words.
#pragma once

#include "images/uFWCatalog.h"
#include "session/uNotify.h"

#include <ctime>
#include <string>

// Where a notification's text goes; all outputs carry the same text.  They
// are done report, status bar, message window, except that the status bar
// goes first where statusFirst says so; the message window, modal, is always
// last.
struct TTextOutputs {
    bool report = false;      // R: one time-stamped line in the report
    bool status = false;      // S: the status bar text (and its hint)
    bool message = false;     // M: the modal message window over the main window
    bool statusFirst = false; // S before R
    bool any() const { return report || status || message; }
    bool operator==(const TTextOutputs&) const = default;
};

struct TNotifyRendering {
    bool handled = false; // false: a kind that is ignored
    std::string text;
    TTextOutputs outputs;
    int progress = -1;         // progress bar position to set (0..100), -1 none
    bool titlePercent = false; // application title := "<progress bar>%"
    bool endSession = false;   // back to idle before the outputs
    bool beep = false;         // short system beep after endSession
};

// portText is the text of the port box (the port the session was started for).
TNotifyRendering renderNotification(const TNotification& n, const TFWCatalog& catalog,
                                    const std::string& portText);

// Text of an abort reason.
std::string abortText(int reason, const std::string& portText);

// "Start at serial port \"<port>\"".
std::string startText(const std::string& portText);

// An image as the report names it: "Tarvek2 V2.08, A10e WLAN UART, BL3.0".
std::string imageName(const TBl3FileHeader& header);

// An image's firmware version: "V2.08".
std::string imageVersion(const TBl3FileHeader& header);

// A report line: "hh-nn-ss -> text".
std::string reportLine(const std::tm& localTime, const std::string& text);

// One line of the report: its text and the local time it was added at.
struct TReportLine {
    std::tm time{};
    std::string text;
    std::string line() const { return reportLine(time, text); }
};
