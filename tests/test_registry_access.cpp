// The registry access layer against the real registry: reads, writes and failure reports.
#include "config/RegistryAccess.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

const char kScratchKey[] = "Software\\Corvane\\RegistryAccessTest";

TEST(RegistryAccessTest, ReadsAnyTypeAsTextWithinTheOfferedSizeAndWritesRegSz)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Fits", std::string(255, 'a'));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Long", std::string(5000, 'z'));
    SetDwordValue(HKEY_LOCAL_MACHINE, kScratchKey, "Number", 0x00434241);  // bytes 41 42 43 00
    SetTypedValue(HKEY_LOCAL_MACHINE, kScratchKey, "Expand", REG_EXPAND_SZ, std::string("%x%\0", 4));
    ASSERT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    struct Case {
        const char* name;  // names are compared without case
        DWORD offered;
        LONG result;
        std::string value;  // a failed read leaves "before"
        DWORD type;
    };
    const Case cases[] = {
        {"FITS", 256, ERROR_SUCCESS, std::string(255, 'a'), REG_SZ},
        {"Fits", 255, ERROR_MORE_DATA, "before", REG_NONE},  // 254 characters is the most in 255 bytes
        {"Long", 4095, ERROR_MORE_DATA, "before", REG_NONE},
        {"Absent", 256, ERROR_FILE_NOT_FOUND, "before", REG_NONE},
        {"Number", 256, ERROR_SUCCESS, "ABC", REG_DWORD},
        {"Expand", 256, ERROR_SUCCESS, "%x%", REG_EXPAND_SZ},
    };
    for (const Case& c : cases) {
        std::string value = "before";
        DWORD type = REG_NONE;
        EXPECT_EQ(c.result, ReadRegistryString(key.Get(), c.name, c.offered, value, &type)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
        EXPECT_EQ(c.type, type) << c.name;
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

TEST(RegistryAccessTest, FieldStateLetsOkWriteOnlyWhatCannotBeLost)
{
    struct Case {
        LONG result;
        DWORD type;
        const char* current;
        bool mayWrite;
    };
    const Case cases[] = {
        {ERROR_SUCCESS, REG_SZ, "shown", true},          {ERROR_SUCCESS, REG_SZ, "changed", true},
        {ERROR_MORE_DATA, REG_NONE, "shown", false},     {ERROR_MORE_DATA, REG_NONE, "changed", true},
        {ERROR_SUCCESS, REG_EXPAND_SZ, "shown", false},  {ERROR_SUCCESS, REG_MULTI_SZ, "changed", true},
        {ERROR_FILE_NOT_FOUND, REG_NONE, "shown", false},
    };
    for (const Case& c : cases) {
        CRegFieldState state;
        state.Record(c.result, c.type, "shown");
        EXPECT_EQ(c.mayWrite, state.MayWrite(c.current)) << c.result << " " << c.type << " " << c.current;
    }
}

}  // namespace
