// What differs between front ends.  The window's defaults follow the
// operator's program; tarvek2-cli asks no question and bounds the restarts.
#pragma once

struct TControllerPolicy {
    bool askQuestions = true;             // the confirmation question before "Update"
    int maxRestarts = -1;                 // restarts of one run; -1 without a limit
    bool keepCancelOnProgRestart = false; // a restart after reason 44 keeps a given cancel
    // A port that did not open: its cause and remedy as a second line of the
    // message window, after "Aborted because serial port ... is not ready!"
    // (the report and the status bar keep that text alone).  A front end
    // without a message window gives the outcome's hint instead.
    bool remedyInMessage = true;
};
