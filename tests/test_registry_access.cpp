// The registry access layer against the real registry: reads, writes and failure reports.
#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

const char kScratchKey[] = "Software\\Corvane\\RegistryAccessTest";

class RegistryAccessTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_LOCAL_MACHINE, kScratchKey); }
    void TearDown() override { DeleteKeyTree(HKEY_LOCAL_MACHINE, kScratchKey); }

    LONG Read(const char* name, DWORD offered, std::string& value)
    {
        CRegKey key;
        LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key);
        return result != ERROR_SUCCESS ? result : ReadRegistryString(key.Get(), name, offered, value);
    }
};

TEST_F(RegistryAccessTest, ReadsWithinTheOfferedSizeAndFailsWith234Beyond)
{
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Fits", std::string(255, 'a'));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "TooLong", std::string(256, 'b'));

    std::string value = "before";
    EXPECT_EQ(ERROR_SUCCESS, Read("Fits", 256, value));
    EXPECT_EQ(std::string(255, 'a'), value);

    value = "before";
    EXPECT_EQ(ERROR_MORE_DATA, Read("TooLong", 256, value));
    EXPECT_EQ("before", value) << "a failed read leaves the destination as it was";

    // Offering one byte less than the buffer: 254 characters is the longest that reads.
    EXPECT_EQ(ERROR_MORE_DATA, Read("Fits", 255, value));
}

TEST_F(RegistryAccessTest, MissingKeyAndValueFailWith2)
{
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Present", "x");
    std::string value;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Read("Absent", 256, value));
    EXPECT_EQ("", value);
}

TEST_F(RegistryAccessTest, ValueTypeIsNotCheckedAndANumberReadsAsItsBytes)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, kScratchKey, "Number", 0x00434241);  // bytes 41 42 43 00
    std::string value;
    EXPECT_EQ(ERROR_SUCCESS, Read("Number", 256, value));
    EXPECT_EQ("ABC", value);
}

TEST_F(RegistryAccessTest, NamesAreComparedWithoutCase)
{
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Button1", "Top Ten");
    std::string value;
    EXPECT_EQ(ERROR_SUCCESS, Read("BUTTON1", 256, value));
    EXPECT_EQ("Top Ten", value);
}

TEST_F(RegistryAccessTest, WritesRegSzWithTheTerminatingZero)
{
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Other", "x");
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegWrite, key));
    ASSERT_EQ(ERROR_SUCCESS, WriteRegistryString(key.Get(), "Text", "C:\\Tools\\app.exe"));
    key.Close();

    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kScratchKey, "Text"));
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScratchKey, 0, ViewAccess(HKEY_LOCAL_MACHINE, KEY_READ), &raw));
    DWORD size = 0;
    ::RegQueryValueExA(raw, "Text", nullptr, nullptr, nullptr, &size);
    ::RegCloseKey(raw);
    EXPECT_EQ(17u, size);
}

TEST_F(RegistryAccessTest, WholeReadTakesAValueOfAnyLength)
{
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Long", std::string(5000, 'z'));
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
    std::string value;
    EXPECT_EQ(ERROR_SUCCESS, ReadWholeRegistryString(key.Get(), "Long", value));
    EXPECT_EQ(std::string(5000, 'z'), value);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadWholeRegistryString(key.Get(), "Absent", value));
}

TEST_F(RegistryAccessTest, ReadOnlyKeySecurityRefusesWritingWith5)
{
    SetValue(HKEY_LOCAL_MACHINE, kScratchKey, "Text", "x");
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kScratchKey);
    CRegKey key;
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegWrite, key));
    EXPECT_EQ(ERROR_SUCCESS, OpenRegistryKey(HKEY_LOCAL_MACHINE, kScratchKey, kRegRead, key));
}

TEST(RegistryErrorReport, ShowsPrefixAndSystemTextInOneBox)
{
    CMessageBoxRecorder boxes;
    HWND owner = ::GetDesktopWindow();
    ReportRegistryError(owner, kOpeningRegistry, ERROR_FILE_NOT_FOUND, kCaptionMessage, MB_OK);
    ReportRegistryError(nullptr, kQueryingRegistry, ERROR_MORE_DATA, kCaptionMessage, MB_OK | MB_ICONEXCLAMATION);
    ReportRegistryError(nullptr, kRegistryError, ERROR_ACCESS_DENIED, kCaptionStartupError, MB_OK);

    ASSERT_EQ(3u, boxes.m_boxes.size());
    EXPECT_EQ(owner, boxes.m_boxes[0].owner);
    EXPECT_EQ("Opening Registry: " + SystemText(2), boxes.m_boxes[0].text);
    EXPECT_EQ("Message", boxes.m_boxes[0].caption);
    EXPECT_EQ(0u, boxes.m_boxes[0].type);
    EXPECT_EQ("Querying Registry: " + SystemText(234), boxes.m_boxes[1].text);
    EXPECT_EQ(0x30u, boxes.m_boxes[1].type);
    EXPECT_EQ("Registry Error: " + SystemText(5), boxes.m_boxes[2].text);
    EXPECT_EQ("Error: ", boxes.m_boxes[2].caption);
    EXPECT_FALSE(SystemText(2).empty());
}

}  // namespace
