// The export file: its bytes, the per-user switches, unreadable values, and safe writing.
#include "config/RegistrySchema.h"
#include "customization/CustomizationExport.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

const std::string kCdTexts = RegKeys::CdDialogTexts;
const std::string kHlxBut04 = RegKeys::Categories[3];

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { InstallSampleRegistry(); }

    std::string WriteAndRead(bool full)
    {
        WriteCustomizationExport(full);
        return ReadFileBytes(m_base.ExportFile());
    }

    // The line of a value in the section whose header is given.
    static std::string LineIn(const std::string& file, const std::string& header, const std::string& name)
    {
        size_t section = file.find("\n[" + header + "]\n");
        if (section == std::string::npos)
            return "<no section>";
        size_t start = file.find("\n\"" + name + "\"=", section + 1);
        if (start == std::string::npos)
            return "<no line>";
        return file.substr(start + 1, file.find('\n', start + 1) - start - 1);
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
};

const std::string kMachine = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II";

TEST_F(ExportTest, FullExportSetsTheAdministratorsSwitchesToTrue)
{
    SetValue(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog", "FALSE");
    SetValue(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show INET Dialog", "F");
    WriteAndRead(true);
    EXPECT_EQ("TRUE", ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
    EXPECT_EQ("TRUE", ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show INET Dialog"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
    // The machine's switches are exported as "TRUE" but left as they are.
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog", "FALSE");
    std::string file = WriteAndRead(true);
    EXPECT_EQ("\"Show CD Dialog\"=\"TRUE\"", LineIn(file, kMachine, "Show CD Dialog"));
    EXPECT_EQ("FALSE", ValueOf(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog"));
}

TEST_F(ExportTest, WithoutThePerUserKeyNothingIsCreated)
{
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Corvane");
    std::string file = WriteAndRead(true);
    EXPECT_EQ("\"Show INET Dialog\"=\"TRUE\"",
              LineIn(file, "HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Access Nimbook II", "Show INET Dialog"));
    EXPECT_EQ("<missing>", ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
}

TEST_F(ExportTest, ShortExportHoldsOnlyTheHeaderAndTheHotkeySection)
{
    SetValue(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog", "FALSE");
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::HotkeyButton, "File", "C:\\Windows\\notepad.exe");
    EXPECT_EQ("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\NBHOTKEY\\8001]\n"
              "\"DispName\"=\"Access Nimbook II\"\n\"File\"=\"C:\\\\Windows\\\\notepad.exe\"\n",
              WriteAndRead(false));
    EXPECT_EQ("FALSE", ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
}

TEST_F(ExportTest, ValuesAreEscapedWrittenWholeAndEmptyWhenUnreadable)
{
    const std::string paragraph(1000, 'p');
    SetValue(HKEY_LOCAL_MACHINE, kHlxBut04, "LaunchableItem", "\"C:\\Tools\\diag.exe\" /all");
    SetValue(HKEY_LOCAL_MACHINE, kHlxBut04, "Topic1", "Caf\xe9 \xa9 100% {ok} 'yes'");
    SetValue(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT5", paragraph);
    DeleteValue(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT2");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, RegKeys::WebLinks[2]);
    const std::string file = WriteAndRead(true);
    // The value before a missing one never leaks into it.
    const std::tuple<std::string, std::string, std::string> lines[] = {
        {"\\Control\\HLXBUT04", "LaunchableItem", "\"LaunchableItem\"=\"\\\"C:\\\\Tools\\\\diag.exe\\\" /all\""},
        {"\\Control\\HLXBUT04", "Topic1", "\"Topic1\"=\"Caf\xe9 \xa9 100% {ok} 'yes'\""},
        {"\\Text\\CDDlg", "TEXT5", "\"TEXT5\"=\"" + paragraph + "\""},
        {"\\Text\\CDDlg", "TEXT2", "\"TEXT2\"=\"\""},
        {"\\Control\\URL3", "InformationSource", "\"InformationSource\"=\"\""},
        {"\\Control\\URL3", "LaunchableItem", "\"LaunchableItem\"=\"\""},
    };
    for (const auto& [section, name, line] : lines)
        EXPECT_EQ(line, LineIn(file, kMachine + section, name));
    EXPECT_EQ(131, std::count(file.begin(), file.end(), '\n'));
}

TEST_F(ExportTest, LineBreaksAreWrittenInHexFormAndImportBackExactly)
{
    const std::string crafted = "Line one\r\nLine \"two\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Injected]\n\xa9";
    SetValue(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT1", crafted);
    std::string file = WriteAndRead(true);
    std::string line = LineIn(file, kMachine + "\\Text\\CDDlg", "TEXT1");
    EXPECT_EQ(0u, line.find("\"TEXT1\"=hex(1):4c,69,6e,65,20,6f,6e,65,0d,0a,"));
    EXPECT_EQ("a9,00", line.substr(line.size() - 5));
    EXPECT_EQ(std::string::npos, file.find("\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Injected]"));

    SetValue(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT1", "changed");
    ASSERT_EQ(0u, ImportRegistryFile(m_base.ExportFile()));
    EXPECT_EQ(crafted, ValueOf(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT1"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kCdTexts, "TEXT1"));
    EXPECT_EQ("<missing>", ValueOf(HKEY_LOCAL_MACHINE, "Software\\Injected", ""));
}

TEST_F(ExportTest, SampleExportIsTheExpectedFile)
{
    // The expected file also fixes the names exported, their order and the line ends.
    const std::string before = WriteAndRead(true);
    EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), before);
    EXPECT_TRUE(m_boxes.m_boxes.empty());
    EXPECT_FALSE(FileExists(m_base.ExportFile() + ".new"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Corvane");
    ASSERT_EQ(0u, ImportRegistryFile(m_base.ExportFile()));
    EXPECT_EQ(before, WriteAndRead(true));
}

TEST_F(ExportTest, ExistingFileIsReplacedAndExistingDirectoryReused)
{
    ::CreateDirectoryA((m_base.Path() + "\\Customization").c_str(), nullptr);
    WriteFileBytes(m_base.Path() + "\\Customization\\keep.bmp", "picture");
    WriteFileBytes(m_base.ExportFile(), std::string(100000, 'x'));
    std::string file = WriteAndRead(false);
    EXPECT_EQ(0u, file.find("REGEDIT4\n"));
    EXPECT_LT(file.size(), 200u);
    EXPECT_EQ("picture", ReadFileBytes(m_base.Path() + "\\Customization\\keep.bmp"));
    // An existing file under another case is the same file.
    ::DeleteFileA(m_base.ExportFile().c_str());
    WriteFileBytes(m_base.Path() + "\\Customization\\hlxcm.reg", "old");
    EXPECT_NE("old", WriteAndRead(false));
}

TEST_F(ExportTest, AFailedWriteKeepsTheOldFileAndIsReported)
{
    WriteAndRead(true);
    const std::string good = ReadFileBytes(m_base.ExportFile());
    // The file beside the export cannot be created.
    ASSERT_TRUE(::CreateDirectoryA((m_base.ExportFile() + ".new").c_str(), nullptr));

    WriteCustomizationExport(false);

    EXPECT_EQ(good, ReadFileBytes(m_base.ExportFile()));
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ(nullptr, m_boxes.m_boxes[0].owner);
    EXPECT_EQ("Access Nimbook Customization - Error", m_boxes.m_boxes[0].caption);
    EXPECT_EQ(0u, m_boxes.m_boxes[0].text.find("The customization file could not be written:\n" + m_base.ExportFile() + "\n"));
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONHAND), m_boxes.m_boxes[0].type);
}

TEST_F(ExportTest, AnExportFileThatCannotBeReplacedIsKeptAndReported)
{
    // A folder in the export file's place cannot be replaced by a file.
    ::CreateDirectoryA((m_base.Path() + "\\Customization").c_str(), nullptr);
    ASSERT_TRUE(::CreateDirectoryA(m_base.ExportFile().c_str(), nullptr));
    WriteCustomizationExport(true);
    EXPECT_TRUE(::GetFileAttributesA(m_base.ExportFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FileExists(m_base.ExportFile() + ".new"));
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ("Access Nimbook Customization - Error", m_boxes.m_boxes[0].caption);
}

TEST_F(ExportTest, ACustomizationFolderThatCannotBeCreatedIsReported)
{
    WriteFileBytes(m_base.Path() + "\\Customization", "a file where the folder belongs");
    WriteCustomizationExport(true);
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ("Access Nimbook Customization - Error", m_boxes.m_boxes[0].caption);
    EXPECT_EQ("a file where the folder belongs", ReadFileBytes(m_base.Path() + "\\Customization"));
}

}  // namespace
