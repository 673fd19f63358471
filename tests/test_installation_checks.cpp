// The start-up: message loading, the four installation checks and their boxes, in order.
#include "app/CustomizeApp.h"
#include "config/RegistrySchema.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kHotkey = RegKeys::HotkeyButton;
const std::string kMainTexts = RegKeys::MainTexts;
const std::string kBrowser = RegKeys::Browser;

const char kErrorCaption[] = "Access Nimbook Customization - Error";
const char kWarningCaption[] = "Access Nimbook Customization - Warning";
const char kInstallUtilities[] =
    "You must install the Corvane Nimbook Utilities before you can use this tool.\n"
    "The Corvane Nimbook Utilities installation will enable the \"Nimbook\" button.";
const char kReassigned[] =
    "Changing the operation of the \"Nimbook\" button disables the function of Access Nimbook Assistant "
    "for users.\nAccess Nimbook Customization tool will now exit.\n";
const char kInstallAssistant[] =
    "You must install the Access Nimbook II before you can continue any further customization operations "
    "with this tool.";

RecordedBox Box(const std::string& text, const std::string& caption, UINT type)
{
    return {nullptr, text, caption, type};
}

void ExpectBoxes(const std::vector<RecordedBox>& expected, const std::vector<RecordedBox>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].text, actual[i].text) << "box " << i;
        EXPECT_EQ(expected[i].caption, actual[i].caption) << "box " << i;
        EXPECT_EQ(expected[i].type, actual[i].type) << "box " << i;
        EXPECT_EQ(nullptr, actual[i].owner) << "box " << i;
    }
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { InstallSampleRegistry(); }

    // Constructs the application object and runs its start-up: the hot-key editor, when it
    // opens, is cancelled, and the windows after it are accepted.
    BOOL RunStartup()
    {
        CDialogDriver driver;
        driver.Then([](HWND dlg) { ClickButton(dlg, IDCANCEL); });
        driver.Then([](HWND dlg) { ClickField(dlg, IDC_CD_OKAY); });
        driver.Then([](HWND dlg) { ClickFieldNow(dlg, IDC_CLOSE); });
        CCustomizeApp app;
        return app.InitInstance();
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
};

TEST_F(StartupTest, StartupMessageFailuresAreReportedInErrorBoxes)
{
    // 4095 characters are read; 4096 are more than the application offers.
    DeleteValue(HKEY_LOCAL_MACHINE, kMainTexts, "NOIE4");
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "NOSHOCKWAVE", std::string(4095, 's'));
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "ERROR", std::string(4096, 'e'));
    {
        CCustomizeApp app;
        EXPECT_EQ("", app.GetStartupMessages().m_strNoBrowser);
        EXPECT_EQ(std::string(4095, 's'), app.GetStartupMessages().m_strNoShockwave);
        EXPECT_EQ("", app.GetStartupMessages().m_strError);
        CStartupMessages again;
        EXPECT_FALSE(LoadStartupMessages(again));
    }
    ExpectBoxes({Box("Registry Error: " + SystemText(2), "Error: ", 0), Box("Registry Error: " + SystemText(234), "Error: ", 0),
                 Box("Registry Error: " + SystemText(2), "Error: ", 0), Box("Registry Error: " + SystemText(234), "Error: ", 0)},
                m_boxes.m_boxes);

    m_boxes.m_boxes.clear();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMainTexts);
    CCustomizeApp app;
    ExpectBoxes({Box("Opening Registry: " + SystemText(2), "Error: ", 0)}, m_boxes.m_boxes);
}

TEST_F(StartupTest, EachFailedCheckEndsTheRunWithItsBoxes)
{
    const RecordedBox reassigned = Box(kReassigned, kWarningCaption, 0x30);
    const RecordedBox installUtilities = Box(kInstallUtilities, kErrorCaption, 0x10);
    const std::string noIe4 = ValueOf(HKEY_LOCAL_MACHINE, kMainTexts, "NOIE4");
    const auto set = [](const std::string& key, const char* name, const std::string& text) {
        return [=] { SetValue(HKEY_LOCAL_MACHINE, key, name, text); };
    };
    enum Export { None, Short, Full };
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::vector<RecordedBox> boxes;
        Export exported;
    };
    const Case cases[] = {
        {"no hot-key utility", [] { DeleteKeyTree(HKEY_LOCAL_MACHINE, kHotkey); },
         {Box("Opening Registry: " + SystemText(2), "Message", 0x30), installUtilities}, None},
        {"display name of 256 characters", set(kHotkey, "DispName", std::string(256, 'd')),
         {Box("Querying Registry: " + SystemText(234), "Message", 0x30), installUtilities}, None},
        {"another program", set(kHotkey, "File", "C:\\Windows\\notepad.exe"), {reassigned}, Short},
        {"program in small letters", set(kHotkey, "File", "c:\\program files\\corvane\\hlx.exe /quiet"), {}, Full},
        {"program alone", set(kHotkey, "File", "HLX.EXE"), {}, Full},
        {"program in mixed case", set(kHotkey, "File", "d:\\x\\Hlx.Exe"), {}, Full},
        {"a folder of the name", set(kHotkey, "File", "C:\\HLX\\run.exe"), {reassigned}, Short},
        {"the name without its dot", set(kHotkey, "File", "HLXEXE"), {reassigned}, Short},
        {"empty command line", set(kHotkey, "File", ""), {reassigned}, Short},
        {"no assistant", [] { DeleteValue(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "INI_PATH"); },
         {Box(kInstallAssistant, kErrorCaption, 0x10)}, None},
        {"empty assistant path", set(RegKeys::Assistant, "INI_PATH", ""), {}, Full},
        {"no browser key", [] { DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser); },
         {Box("Opening Registry: " + SystemText(2), "Message", 0x30), Box(noIe4, kWarningCaption, 0x30)}, None},
        {"no browser version", [] { DeleteValue(HKEY_LOCAL_MACHINE, kBrowser, "Version"); },
         {Box("Querying Registry: " + SystemText(2), "Message", 0x30), Box(noIe4, kWarningCaption, 0x30)}, None},
        {"empty browser version", set(kBrowser, "Version", ""), {}, Full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallSampleRegistry();
        ::DeleteFileA(m_base.ExportFile().c_str());
        m_boxes.m_boxes.clear();
        c.prepare();
        EXPECT_FALSE(RunStartup());
        ExpectBoxes(c.boxes, m_boxes.m_boxes);
        const std::string exported = ReadFileBytes(m_base.ExportFile());
        EXPECT_EQ(c.exported == None, exported.empty());
        EXPECT_EQ(c.exported == Full, exported.find("Text\\MainDlg") != std::string::npos);
    }

    // 255 characters fit the 256 bytes the check offers; only the editor, which offers 255,
    // cannot read them. A command line the editor cannot read counts as reassigned, even with
    // a display name that names the assistant's program.
    InstallSampleRegistry();
    m_boxes.m_boxes.clear();
    SetValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName", "HLX.EXE");
    SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", "C:\\" + std::string(250, 'x') + "\\HLX.EXE");
    EXPECT_FALSE(RunStartup());
    ASSERT_EQ(2u, m_boxes.m_boxes.size());
    EXPECT_EQ("Querying Registry: " + SystemText(234), m_boxes.m_boxes[0].text);
    EXPECT_NE(nullptr, m_boxes.m_boxes[0].owner);
    EXPECT_EQ(kReassigned, m_boxes.m_boxes[1].text);
}

TEST_F(StartupTest, TheFirstInstanceHoldsTheMutexUntilItIsDestroyed)
{
    {
        CInstanceMutex first;
        EXPECT_TRUE(first.IsFirstInstance());
        EXPECT_FALSE(CInstanceMutex().IsFirstInstance());
        CHandle probe(::OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName));
        EXPECT_TRUE(static_cast<bool>(probe));
    }
    CHandle gone(::OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName));
    EXPECT_FALSE(static_cast<bool>(gone));
}

}  // namespace
