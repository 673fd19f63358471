// The registry access layer against the real registry: reads, writes and failure reports.
#include "config/RegistryAccess.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

const char kScratchKey[] = "Software\\Corvane\\RegistryAccessTest";

TEST(RegistryAccessTest, ReadsAnyTypeAsText)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Fits", std::string(255, 'a'));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Long", std::string(5000, 'z'));
    SetDwordValue(HKEY_LOCAL_MACHINE, kScratchKey, "Number", 0x00434241);  // bytes 41 42 43 00
    SetTypedValue(HKEY_LOCAL_MACHINE, kScratchKey, "Expand", REG_EXPAND_SZ, std::string("%x%\0", 4));
    SetTypedValue(HKEY_LOCAL_MACHINE, kScratchKey, "Trailing", REG_SZ, std::string("abc\0def\0", 8));
    SetTypedValue(HKEY_LOCAL_MACHINE, kScratchKey, "Unterminated", REG_SZ, "abc");
    ASSERT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    // Plain: an editor may write the value back unchanged without losing anything.
    struct Case {
        const char* name;  // names are compared without case
        DWORD offered;
        LONG result;
        std::string value;  // a failed read leaves "before"
        bool bPlain;
    };
    const Case cases[] = {
        {"FITS", 256, ERROR_SUCCESS, std::string(255, 'a'), true},
        {"Fits", 255, ERROR_MORE_DATA, "before", false},  // 254 characters is the most in 255 bytes
        {"Long", 4095, ERROR_MORE_DATA, "before", false},
        {"Absent", 256, ERROR_FILE_NOT_FOUND, "before", false},
        {"Number", 256, ERROR_SUCCESS, "ABC", false},
        {"Expand", 256, ERROR_SUCCESS, "%x%", false},
        {"Trailing", 256, ERROR_SUCCESS, "abc", false},
        {"Unterminated", 256, ERROR_SUCCESS, "abc", true},
    };
    for (const Case& c : cases) {
        std::string value = "before";
        CRegFieldState state;
        EXPECT_EQ(c.result, ReadRegistryString(key.Get(), c.name, c.offered, value, &state)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
        EXPECT_EQ(c.bPlain, state.MayWrite(value)) << c.name;
        EXPECT_TRUE(state.MayWrite(value + " changed")) << c.name;
    }
    std::string whole;
    EXPECT_EQ(ERROR_SUCCESS, ReadWholeRegistryString(key.Get(), "Long", whole));
    EXPECT_EQ(std::string(5000, 'z'), whole);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadWholeRegistryString(key.Get(), "Absent", whole));

    ASSERT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegWrite, key));
    ASSERT_EQ(ERROR_SUCCESS, WriteRegistryString(key.Get(), "Text", "C:\\Tools\\app.exe"));
    key.Close();
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kScratchKey, "Text"));
    EXPECT_EQ(std::string("C:\\Tools\\app.exe") + '\0', ValueBytesOf(HKEY_LOCAL_MACHINE, kScratchKey, "Text"));
    {
        CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kScratchKey);
        EXPECT_EQ(ERROR_ACCESS_DENIED, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegWrite, key));
        EXPECT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    }
    key.Close();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
}

}  // namespace
