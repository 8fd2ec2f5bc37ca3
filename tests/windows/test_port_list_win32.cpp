// The port list from the registry's serial device map
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM).  The test rewrites that key, so it
// runs only where TARVEK2_TEST_REGISTRY_WRITES=1 says that may be done (a
// throw-away Wine prefix); the key's values are put back afterwards.
#include "serial/uPortList.h"

#include "platform/uWindows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t* const cSerialMap = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct TRegValue {
    std::wstring sName;
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

TRegValue stringValue(const std::wstring& sName, const std::wstring& sData) {
    TRegValue v;
    v.sName = sName;
    const auto* p = reinterpret_cast<const BYTE*>(sData.c_str());
    v.data.assign(p, p + (sData.size() + 1) * sizeof(wchar_t));
    return v;
}

TRegValue dwordValue(const std::wstring& sName, DWORD value) {
    TRegValue v;
    v.sName = sName;
    v.type = REG_DWORD;
    const auto* p = reinterpret_cast<const BYTE*>(&value);
    v.data.assign(p, p + sizeof value);
    return v;
}

class SerialMap : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* s = std::getenv("TARVEK2_TEST_REGISTRY_WRITES");
        if (!s || std::string(s) != "1")
            GTEST_SKIP() << "TARVEK2_TEST_REGISTRY_WRITES=1 is not set";
        HKEY hKey = openMap();
        ASSERT_NE(hKey, nullptr);
        FSaved = readAll(hKey);
        RegCloseKey(hKey);
        FTouched = true;
    }
    void TearDown() override {
        if (FTouched) fill(FSaved);
    }

    // The key, created (volatile, as the system keeps it) when missing.
    static HKEY openMap() {
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, cSerialMap, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
            return nullptr;
        return hKey;
    }

    static std::vector<TRegValue> readAll(HKEY hKey) {
        std::vector<TRegValue> values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLen = 256;
            BYTE data[1024];
            DWORD dataLen = sizeof data;
            TRegValue v;
            if (RegEnumValueW(hKey, i, name, &nameLen, nullptr, &v.type, data, &dataLen) !=
                ERROR_SUCCESS)
                break;
            v.sName.assign(name, nameLen);
            v.data.assign(data, data + dataLen);
            values.push_back(std::move(v));
        }
        return values;
    }

    // Replaces the key's values by these, written in this order.
    static void fill(const std::vector<TRegValue>& values) {
        HKEY hKey = openMap();
        ASSERT_NE(hKey, nullptr);
        for (const TRegValue& v : readAll(hKey))
            RegDeleteValueW(hKey, v.sName.c_str());
        for (const TRegValue& v : values)
            ASSERT_EQ(RegSetValueExW(hKey, v.sName.c_str(), 0, v.type, v.data.data(),
                                     static_cast<DWORD>(v.data.size())),
                      ERROR_SUCCESS);
        RegCloseKey(hKey);
    }

    static std::vector<std::string> portList() {
        std::vector<std::string> sl = {"stale entry"};
        getPortList(sl);
        return sl;
    }

  private:
    std::vector<TRegValue> FSaved;
    bool FTouched = false;
};

using TList = std::vector<std::string>;

TEST_F(SerialMap, OnlyVirtualComPortsAreListedByTheirPortNames) {
    struct TCase {
        const char* what;
        std::vector<TRegValue> values;
        TList expected;
    };
    const TCase cases[] = {
        {"built-in port left out",
         {stringValue(L"\\Device\\Serial0", L"COM1"), stringValue(L"\\Device\\VCP0", L"COM7")},
         {"COM7"}},
        {"device names in any case",
         {stringValue(L"\\DEVICE\\VCP3", L"COM3"), stringValue(L"\\Device\\Vcp4", L"COM4")},
         {"COM3", "COM4"}},
        {"the prefix must stand first",
         {stringValue(L"x\\Device\\VCP1", L"COM9"), stringValue(L"\\Device\\USBSER000", L"COM4")},
         {}},
        {"registry order, not sorted by port name",
         {stringValue(L"\\Device\\VCP0", L"COM7"), stringValue(L"\\Device\\VCP1", L"COM3"),
          stringValue(L"\\Device\\VCP2", L"COM12")},
         {"COM7", "COM3", "COM12"}},
        {"data that is no string is no port",
         {dwordValue(L"\\Device\\VCP0", 5), stringValue(L"\\Device\\VCP1", L"COM6")},
         {"COM6"}},
        {"empty map", {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        fill(c.values);
        EXPECT_EQ(portList(), c.expected);
    }
}

TEST_F(SerialMap, AMachineWithoutTheKeyHasNoPorts) {
    fill({stringValue(L"\\Device\\VCP0", L"COM5")});
    ASSERT_EQ(portList(), TList{"COM5"});
    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, cSerialMap), ERROR_SUCCESS);
    EXPECT_EQ(portList(), TList{});
}

} // namespace
