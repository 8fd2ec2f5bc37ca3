// The companion windows of the main window, created hidden after it, in this
// order: the firmware overview, the report window, the message window.
#pragma once

class TfrmMain;

void initForms(TfrmMain& main);
