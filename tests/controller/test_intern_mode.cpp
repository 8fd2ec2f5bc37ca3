// The internal-mode switch: where the settings file lies, how its INI text
// is read, and which values switch the mode on.
#include "controller/uInternModeText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct IniCase {
    const char* name;
    const char* text;
    bool on;
};

class InternIni : public ::testing::TestWithParam<IniCase> {};

TEST_P(InternIni, ReadsTheSwitchAsTheSettingsObjectWritesIt) {
    std::istringstream in(GetParam().text);
    const auto value = internValueFromIni(in);
    EXPECT_EQ(value && isInternCode(*value), GetParam().on) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InternIni,
    ::testing::Values(IniCase{"GeneralSection", "[General]\nintern=7361\n", true},
                      IniCase{"TopLevel", "intern=7361\n", true},
                      IniCase{"BlanksAndCrLf", "[General]\r\n  intern = 7361 \r\n", true},
                      IniCase{"QuotedNumber", "[General]\nintern=\"7361\"\n", true},
                      IniCase{"AmongOtherKeys",
                              "[General]\ngeometry=@ByteArray(x)\nintern=7361\nlast=COM5\n", true},
                      IniCase{"LaterLineWins", "[General]\nintern=7361\nintern=1\n", false},
                      IniCase{"OtherSection", "[Window]\nintern=7361\n", false},
                      IniCase{"BackInGeneral", "[Window]\nx=1\n[General]\nintern=7361\n", true},
                      IniCase{"WrongCode", "[General]\nintern=7360\n", false},
                      IniCase{"NotAnInteger", "[General]\nintern=yes\n", false},
                      IniCase{"TrailingLetters", "[General]\nintern=7361x\n", false},
                      IniCase{"Fraction", "[General]\nintern=7361.0\n", false},
                      IniCase{"Empty", "[General]\nintern=\n", false},
                      IniCase{"KeyCaseMatters", "[General]\nIntern=7361\n", false},
                      IniCase{"KeyPrefixOnly", "[General]\ninternal=7361\n", false},
                      IniCase{"Commented", "[General]\n;intern=7361\n#intern=7361\n", false},
                      IniCase{"NoFileContent", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InternConfigPath, FollowsTheXdgRules) {
    EXPECT_EQ(internConfigPath("/x/cfg", "/home/op"), "/x/cfg/Quorvane/Vorn.conf");
    EXPECT_EQ(internConfigPath(nullptr, "/home/op"), "/home/op/.config/Quorvane/Vorn.conf");
    // An empty or relative XDG_CONFIG_HOME is not used.
    EXPECT_EQ(internConfigPath("", "/home/op"), "/home/op/.config/Quorvane/Vorn.conf");
    EXPECT_EQ(internConfigPath("cfg", "/home/op"), "/home/op/.config/Quorvane/Vorn.conf");
    EXPECT_EQ(internConfigPath(nullptr, nullptr), "");
    EXPECT_EQ(internConfigPath(nullptr, ""), "");
}

} // namespace
