// Names of the class, platform and print codes that loggers and images carry.
#include "images/uFWVersions.h"

#include <utility>

namespace {

struct TCodeName {
    std::uint16_t code;
    const char* name;
};

// Logger models and radio module firmwares between 0x6601 and 0x662F.  The
// families 0x6617 and 0x6621 are named by print; 0x660A is the SD card and
// 0x660D is not assigned.
constexpr TCodeName cClassNames[] = {
    {0x6590, "Prototype"},   {0x6601, "Logger 6601"}, {0x6602, "Logger 6602"},
    {0x6603, "Logger 6603"}, {0x6604, "Logger 6604"}, {0x6605, "Radio 6605"},
    {0x6606, "Logger 6606"}, {0x6607, "Logger 6607"}, {0x6608, "Logger 6608"},
    {0x6609, "Radio 6609"},  {0x660A, "SD CARD"},     {0x660B, "Logger 660B"},
    {0x660C, "Logger 660C"}, {0x660E, "Logger 660E"}, {0x660F, "Radio 660F"},
    {0x6610, "Logger 6610"}, {0x6611, "Logger 6611"}, {0x6612, "Logger 6612"},
    {0x6613, "Radio 6613"},  {0x6614, "Logger 6614"}, {0x6615, "Logger 6615"},
    {0x6616, "Logger 6616"}, {0x6618, "Logger 6618"}, {0x6619, "Radio 6619"},
    {0x661A, "Logger 661A"}, {0x661B, "Logger 661B"}, {0x661C, "Logger 661C"},
    {0x661D, "Radio 661D"},  {0x661E, "Logger 661E"}, {0x661F, "Logger 661F"},
    {0x6620, "Logger 6620"}, {0x6622, "Logger 6622"}, {0x6623, "Radio 6623"},
    {0x6624, "Logger 6624"}, {0x6625, "Logger 6625"}, {0x6626, "Logger 6626"},
    {0x6627, "Radio 6627"},  {0x6628, "Logger 6628"}, {0x6629, "Logger 6629"},
    {0x662A, "Logger 662A"}, {0x662B, "Radio 662B"},  {0x662C, "Logger 662C"},
    {0x662D, "Logger 662D"}, {0x662E, "Logger 662E"}, {0x662F, "Radio 662F"},
    {0xC800, "BL"},          {0xC801, "BL2"},         {0xC802, "BL3"},
};

constexpr const char* cPlatformNames[] = {
    "F1612 A", "F1612 B", "F2617 B", "F1611 SD", "F1611 B",  "F1610 B",   "F1611 C",  "F2617 C",
    "F5528 A", "F1611 D", "F2274 A", "F5340 SD", "F5328 A",  "F5419 A",   "F5438 A",  "F5438 WD",
    "F5328 B", "F5328 C", "NINA",    "BlueGiga", "F5438 MX", "F5438 WD2", "F5340 SM",
};

// Laid out as a table, one entry beside the other.
// clang-format off
constexpr const char* cPrintNames[] = {
    "A0",           "A1",           "A2",          "B3",            "C1",
    "A3",           "A5",           "C2",          "D1",            "C3",
    "A6/A7/A8",     "N1/2 Display", "A7/A8 Model", "PM0",           "N1/2 DAC",
    "PB0",          "E3",           "B5",          "A9b",           "A10",
    "C5",           "C6",           "AR9",         "PM3",           "A9 Model M1",
    "A9 Model M2",  "A10 Model M1", "A10 Model M2", "A10 Model M3", "A9 Model M3",
    "A9d",          "NINA W1 UART", "NINA W1 SPI", "A10 WLAN UART", "A10 WLAN SPI",
    "NINA B3 UART", "BlueGiga UART", "A10e",       "A10e WLAN UART", "A10e BLE UART",
    "A9 Model M4",  "?",            "?",           "A11 Model M1",  "A9e",
    "TGT1a",        "A10g",         "A10g WLAN UART", "A10g BLE UART",
};
// clang-format on

} // namespace

std::string getSelvinName(std::uint16_t print) {
    if (print == 38 || print == 47) return "Selvin2";
    if (print == 39 || print == 48) return "Selvin";
    return "Selvinx";
}

std::string getTarvekName(std::uint16_t print) {
    if (print == 38 || print == 47) return "Tarvek2";
    if (print == 39 || print == 48) return "Tarvek";
    return "Tarvekx";
}

std::string getClassName(std::uint16_t code, std::uint16_t print) {
    if (code == 0x6617) return getSelvinName(print);
    if (code == 0x6621) return getTarvekName(print);
    std::string name = "?";
    for (const auto& row : cClassNames)
        if (row.code == code) name = row.name;
    return name;
}

std::string getPlatformName(std::uint16_t code) {
    if (code < std::size(cPlatformNames)) return cPlatformNames[code];
    if (code == 0xFFFE) return "F1611 C-SP";
    return "?";
}

std::string getPrintName(std::uint16_t code) {
    if (code < std::size(cPrintNames)) return cPrintNames[code];
    return "?";
}

std::uint16_t checkClass(std::uint16_t code) {
    return getClassName(code, 0xFFFF) != "?" ? code : 0xFFFF;
}

std::uint16_t checkPlatform(std::uint16_t code) {
    return getPlatformName(code) != "?" ? code : 0xFFFF;
}

std::uint16_t checkPrint(std::uint16_t code) {
    return getPrintName(code) != "?" ? code : 0xFFFF;
}
