// Device code names, validity tests and platform memory layouts: the rows
// that the update session and the operator's texts depend on.
#include "images/uFWVersions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

TEST(Names, FamiliesAreNamedByPrint) {
    struct Case {
        std::uint16_t print;
        const char* tarvek;
        const char* selvin;
    };
    const Case cases[] = {{38, "Tarvek2", "Selvin2"},     {47, "Tarvek2", "Selvin2"},
                          {39, "Tarvek", "Selvin"},       {48, "Tarvek", "Selvin"},
                          {0xFFFF, "Tarvekx", "Selvinx"}, {0, "Tarvekx", "Selvinx"},
                          {37, "Tarvekx", "Selvinx"},     {40, "Tarvekx", "Selvinx"},
                          {46, "Tarvekx", "Selvinx"},     {49, "Tarvekx", "Selvinx"}};
    for (const auto& c : cases) {
        EXPECT_EQ(getClassName(0x6621, c.print), c.tarvek) << c.print;
        EXPECT_EQ(getTarvekName(c.print), c.tarvek) << c.print;
        EXPECT_EQ(getClassName(0x6617, c.print), c.selvin) << c.print;
        EXPECT_EQ(getSelvinName(c.print), c.selvin) << c.print;
    }
}

TEST(Names, FixedClassRows) {
    EXPECT_EQ(getClassName(0x6590, 0xFFFF), "Prototype");
    EXPECT_EQ(getClassName(0x660A, 0xFFFF), "SD CARD");
    EXPECT_EQ(getClassName(0xC800, 0xFFFF), "BL");
    EXPECT_EQ(getClassName(0xC801, 0xFFFF), "BL2");
    EXPECT_EQ(getClassName(0xC802, 0xFFFF), "BL3");
    for (std::uint16_t code : {0x660D, 0x6600, 0x6630, 0x0000, 0xC803, 0xFFFF, 0x6621 + 0x100})
        EXPECT_EQ(getClassName(code, 38), "?") << std::hex << code;
}

TEST(Names, CheckClass) {
    EXPECT_EQ(checkClass(0x6621), 0x6621);
    EXPECT_EQ(checkClass(0x6617), 0x6617);
    EXPECT_EQ(checkClass(0xC802), 0xC802);
    EXPECT_EQ(checkClass(0x6590), 0x6590);
    EXPECT_EQ(checkClass(0x660D), 0xFFFF);
    EXPECT_EQ(checkClass(0x6600), 0xFFFF);
    EXPECT_EQ(checkClass(0x6630), 0xFFFF);
    EXPECT_EQ(checkClass(0xFFFF), 0xFFFF);

    // The product range: every code but 0x660D is valid, each with its own name.
    std::set<std::string> names;
    for (std::uint16_t code = 0x6601; code <= 0x662F; ++code) {
        if (code == 0x660D) continue;
        EXPECT_EQ(checkClass(code), code) << std::hex << code;
        names.insert(getClassName(code, 0xFFFF));
    }
    EXPECT_EQ(names.size(), 0x2Fu - 1u);
    EXPECT_FALSE(names.count("?"));
}

TEST(Names, PlatformsAndPrintsOfTheTarget) {
    EXPECT_EQ(getPlatformName(21), "F5438 WD2");
    EXPECT_EQ(getPlatformName(15), "F5438 WD");
    EXPECT_EQ(getPlatformName(0xFFFE), "F1611 C-SP");
    EXPECT_EQ(getPrintName(38), "A10e WLAN UART");
    EXPECT_EQ(getPrintName(47), "A10g WLAN UART");
    EXPECT_EQ(getPrintName(39), "A10e BLE UART");
    EXPECT_EQ(getPrintName(48), "A10g BLE UART");
}

TEST(Names, CheckPlatformAndPrintOverTheirWholeRange) {
    EXPECT_EQ(checkPlatform(0xFFFE), 0xFFFE);
    EXPECT_EQ(checkPlatform(23), 0xFFFF);
    EXPECT_EQ(checkPlatform(0xFFFF), 0xFFFF);
    EXPECT_EQ(checkPrint(41), 0xFFFF);
    EXPECT_EQ(checkPrint(42), 0xFFFF);
    EXPECT_EQ(checkPrint(43), 43);
    EXPECT_EQ(checkPrint(49), 0xFFFF);

    std::set<std::string> platforms, prints;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<std::uint16_t>(code);
        const bool platformValid = code <= 22 || code == 0xFFFE;
        const bool printValid = code <= 48 && code != 41 && code != 42;
        ASSERT_EQ(checkPlatform(c), platformValid ? c : 0xFFFF) << code;
        ASSERT_EQ(checkPrint(c), printValid ? c : 0xFFFF) << code;
        if (platformValid) platforms.insert(getPlatformName(c));
        if (printValid) prints.insert(getPrintName(c));
    }
    EXPECT_EQ(platforms.size(), 24u) << "every platform has its own name";
    EXPECT_EQ(prints.size(), 47u) << "every print has its own name";
}

// Slot 0 is where the session reads the logger's update identity, so its
// first address is what a wrong row would break.
TEST(MemoryMap, SlotZeroOfEveryPlatform) {
    struct Case {
        std::uint16_t platform;
        std::uint32_t first; // 0: slot unused
        std::uint32_t last;
    };
    const Case cases[] = {
        {0, 0, 0},
        {1, 0x1000, 0x107F},
        {2, 0x1000, 0x103F},
        {3, 0, 0},
        {4, 0x1000, 0x107F},
        {5, 0x1000, 0x107F},
        {6, 0x1000, 0x107F},
        {7, 0x1000, 0x103F},
        {8, 0x1900, 0x197F},
        {9, 0x1000, 0x10FF},
        {10, 0x1000, 0x103F},
        {11, 0x1900, 0x197F},
        {12, 0x1800, 0x187F},
        {13, 0x1800, 0x187F},
        {14, 0x1800, 0x187F},
        {15, 0x1800, 0x187F},
        {16, 0x1800, 0x187F},
        {17, 0x1800, 0x187F},
        {18, 0, 0},
        {19, 0, 0},
        {20, 0x1800, 0x187F},
        {21, 0x1800, 0x187F},
        {22, 0x1800, 0x187F},
        {23, 0, 0},
        {0xFFFE, 0x1000, 0x107F},
        {0xFFFF, 0, 0},
    };
    for (const auto& c : cases) {
        const TMemoryRange slot0 = getMemoryMap(c.platform)[0];
        EXPECT_EQ(slot0, (TMemoryRange{c.first != 0, c.first, c.last}))
            << "platform " << c.platform;
    }
}

TEST(MemoryMap, RowsThatShareOrDiffer) {
    EXPECT_EQ(getMemoryMap(15), getMemoryMap(21));
    EXPECT_EQ(getMemoryMap(21)[0], (TMemoryRange{true, 0x1800, 0x187F}));
    EXPECT_EQ(getMemoryMap(21)[6], (TMemoryRange{true, 0x10000, 0x42BFF}));

    // 0xFFFE is platform 6 with slot 5 starting at 0x4000.
    TMemoryMap six = getMemoryMap(6);
    const TMemoryMap fffe = getMemoryMap(0xFFFE);
    EXPECT_EQ(fffe[5], (TMemoryRange{true, 0x4000, 0xF7FF}));
    six[5].first = 0x4000;
    EXPECT_EQ(fffe, six);

    // Radio modules and unknown platforms have no memory at all.
    for (std::uint16_t code : {18, 19, 23, 0xFFFD, 0xFFFF})
        EXPECT_EQ(getMemoryMap(code), TMemoryMap{}) << code;
}

TEST(MemoryMap, LayoutRulesHoldForEveryPlatform) {
    int mapped = 0;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const TMemoryMap map = getMemoryMap(static_cast<std::uint16_t>(code));
        if (map == TMemoryMap{}) continue;
        ++mapped;
        for (int slot = 0; slot < 7; ++slot) {
            const TMemoryRange& r = map[slot];
            SCOPED_TRACE("platform " + std::to_string(code) + " slot " + std::to_string(slot));
            if (!r.used) {
                EXPECT_EQ(r, TMemoryRange{}) << "an unused slot is all zero";
                continue;
            }
            EXPECT_LE(r.first, r.last);
            if (slot < 6) {
                EXPECT_LT(r.last, 0x10000u);
            } else {
                EXPECT_EQ(r.first, 0x10000u);
            }
        }
        EXPECT_TRUE(map[5].used);
        EXPECT_EQ(map[5].last, 0xF7FFu);
    }
    EXPECT_EQ(mapped, 22) << "platforms 0-17, 20-22 and 0xFFFE";
}
