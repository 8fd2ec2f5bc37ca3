// The checks a session makes, as a front end sets them before it starts the
// session; the session only reads them.
#pragma once

struct TSessionSettings {
    bool bCheckFamily = true; // application must report class 0x6621 before the switch
    bool bCheckClass = true;  // update class must equal the image's class
    bool bCheckInfo = true;   // update info word must be 0xFFFE
    bool bInfoOnly = false;   // stop with cEX_INFO_ONLY once the image is chosen
};
