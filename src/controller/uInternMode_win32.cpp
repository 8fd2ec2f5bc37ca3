// The internal-mode switch on Windows: the REG_DWORD value "intern" under
// HKEY_CURRENT_USER\Software\Quorvane\Vorn.
#include "controller/uProgramOptions.h"

#include "platform/uWindows.h"

std::string internModeSource() {
    return "the registry value \"intern\" (REG_DWORD) under "
           "HKEY_CURRENT_USER\\Software\\Quorvane\\Vorn";
}

bool readInternMode() {
    DWORD value = 0;
    DWORD size = sizeof value;
    // RRF_RT_REG_DWORD: a value of any other type is not an integer and
    // reads as normal mode.
    const LSTATUS rc = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quorvane\\Vorn", L"intern",
                                    RRF_RT_REG_DWORD, nullptr, &value, &size);
    return rc == ERROR_SUCCESS && value == static_cast<DWORD>(cInternModeCode);
}
