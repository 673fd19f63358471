// The real program, started in its own process on the sample installation and driven
// through its windows by control id and text.
#include "config/RegistrySchema.h"
#include "framework/Wnd.h"
#include "res/resource.h"
#include "tests/native/SwfHostileMovies.h"
#include "tests/support/BitmapCases.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        CopySampleImages(m_base.Path());
    }

    CScratchDirectory m_base;
};

TEST_F(ProgramRunTest, AcceptingEveryWindowWritesTheFullExport)
{
    // Broken artwork costs the replicas their pictures, nothing more.
    const char* const artwork[] = {"CDBkgd.bmp", "CDButton.bmp", "BkgdNoLg.bmp", "Image0.bmp", "cntrRest.bmp",
                                   "L1Rest.bmp", "L2High.bmp",   "Icon1.bmp",    "Icon2_hi.bmp", "close.bmp"};
    std::size_t next = 0;
    for (const CBitmapCase& bad : BitmapCases())
        if (!bad.loads)
            WriteFileBytes(m_base.Path() + "\\images\\" + artwork[next++ % std::size(artwork)],
                           std::string(bad.bytes.begin(), bad.bytes.end()));
    CProgramRun program(m_base.Path());
    HWND editor = program.WaitForDialogWith(IDC_HOTKEY_FILE);
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ("Access Nimbook Customization", CWnd::GetWindowText(editor));
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, RegKeys::HotkeyButton, "File"), ItemText(editor, IDC_HOTKEY_FILE));
    ::PostMessageA(::GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);

    HWND cdDialog = program.WaitForDialogWith(IDC_CD_OKAY);
    ASSERT_NE(nullptr, cdDialog);
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, RegKeys::CdDialogTexts, "TITLE"), CWnd::GetWindowText(cdDialog));
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, RegKeys::CdDialogTexts, "TEXT1"), ItemText(cdDialog, IDC_CD_TEXT1));
    ClickField(cdDialog, IDC_CD_OKAY);

    HWND mainWindow = program.WaitForDialogWith(IDC_CLOSE);
    ASSERT_NE(nullptr, mainWindow);
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, "TITLE"), CWnd::GetWindowText(mainWindow));
    EXPECT_FALSE(FileExists(m_base.ExportFile())) << "the export follows the main window";
    ClickField(mainWindow, IDC_CLOSE);

    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(m_base.ExportFile()));
}

// Answers the dialogs that come before the main window: the main window, or null.
HWND OpenMainWindow(CProgramRun& program)
{
    HWND editor = program.WaitForDialogWith(IDC_HOTKEY_FILE);
    if (!editor)
        return nullptr;
    ::PostMessageA(::GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
    HWND cdDialog = program.WaitForDialogWith(IDC_CD_OKAY);
    if (!cdDialog)
        return nullptr;
    ClickField(cdDialog, IDC_CD_OKAY);
    return program.WaitForDialogWith(IDC_CLOSE);
}

void WriteBandMovie(const CScratchDirectory& base, const swftest::Bytes& movie)
{
    WriteFileBytes(base.Path() + "\\images\\corvane.swf", std::string(movie.begin(), movie.end()));
    ::DeleteFileA(base.ExportFile().c_str());
}

TEST_F(ProgramRunTest, AHostileMovieNeitherDelaysNorHoldsTheMainWindow)
{
    using namespace swftest;
    const Bytes frames = ShowFrame() + ShowFrame() + ShowFrame();
    const HostileMovie movies[] = {
        {"a button that shows itself three times", Movie(SelfShowingButton() + frames, 240, 130)},
        {"65535 fill styles over 60,000 edges", Movie(ManyFillsShape(65535, 60000) + frames, 240, 130, 'C')},
        {"4,190,000 moves of one depth",
         Movie(Repeat(PlaceObject2({1, -1, 0, 0, true}), 4190000) + frames, 240, 130, 'C')},
    };
    for (const HostileMovie& movie : movies) {
        WriteBandMovie(m_base, movie.file);
        CProgramRun program(m_base.Path());
        HWND mainWindow = OpenMainWindow(program);
        ASSERT_NE(nullptr, mainWindow) << movie.kind;
        DWORD_PTR result = 0;
        EXPECT_NE(0, ::SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
            << movie.kind << ": the window answers";
        ClickField(mainWindow, IDC_CLOSE);
        EXPECT_EQ(0u, program.WaitForExit()) << movie.kind;
        EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(m_base.ExportFile())) << movie.kind;
    }
}

TEST_F(ProgramRunTest, AHostileScriptInTheBandNeverHoldsTheCloseAndTheExport)
{
    using namespace swftest;
    for (const HostileMovie& movie : {SortingMovie(), EnumeratingMovie(), NestingMovie()}) {
        WriteBandMovie(m_base, movie.file);
        CProgramRun program(m_base.Path());
        HWND mainWindow = OpenMainWindow(program);
        ASSERT_NE(nullptr, mainWindow) << movie.kind;
        // The band is deep in the movie's work by now; the window still answers at once.
        ::Sleep(1500);
        DWORD_PTR result = 0;
        EXPECT_NE(0, ::SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &result))
            << movie.kind << ": the window answers within 250 ms";
        ClickField(mainWindow, IDC_CLOSE);
        const ULONGLONG clicked = ::GetTickCount64();
        EXPECT_EQ(0u, program.WaitForExit()) << movie.kind;
        EXPECT_LT(::GetTickCount64() - clicked, 1000u) << movie.kind << ": the program ends within a second";
        EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(m_base.ExportFile())) << movie.kind;
    }
}

TEST_F(ProgramRunTest, ASecondStartTogglesTheRunningMainWindow)
{
    CProgramRun first(m_base.Path());
    HWND editor = first.WaitForDialogWith(IDC_HOTKEY_FILE);
    ASSERT_NE(nullptr, editor);

    // While the hot-key editor is open there is no main window to find.
    CScratchDirectory otherBase;
    EXPECT_EQ(0u, CProgramRun(otherBase.Path()).WaitForExit());
    EXPECT_TRUE(::IsWindow(editor));
    ::PostMessageA(::GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
    HWND cdDialog = first.WaitForDialogWith(IDC_CD_OKAY);
    ASSERT_NE(nullptr, cdDialog);
    ::PostMessageA(::GetDlgItem(cdDialog, IDC_DEFAULT_BUTTON), BM_CLICK, 0, 0);

    HWND mainWindow = first.WaitForDialogWith(IDC_CLOSE);
    ASSERT_NE(nullptr, mainWindow);
    ::SetForegroundWindow(mainWindow);
    ASSERT_EQ(mainWindow, ::GetForegroundWindow());

    EXPECT_EQ(0u, CProgramRun(otherBase.Path()).WaitForExit());
    EXPECT_TRUE(::IsIconic(mainWindow)) << "in front: minimized";
    EXPECT_EQ(0u, CProgramRun(otherBase.Path()).WaitForExit());
    EXPECT_FALSE(::IsIconic(mainWindow)) << "minimized: shown normally";
    EXPECT_EQ(mainWindow, ::GetForegroundWindow());
    EXPECT_FALSE(FileExists(otherBase.Path() + "\\Customization")) << "a second start writes no export";

    ClickField(mainWindow, IDC_CLOSE);
    EXPECT_EQ(0u, first.WaitForExit());
    EXPECT_TRUE(FileExists(m_base.ExportFile()));
}

TEST_F(ProgramRunTest, ReassignedButtonEndsWithTheShortExport)
{
    CProgramRun program(m_base.Path());
    HWND editor = program.WaitForDialogWith(IDC_HOTKEY_FILE);
    ASSERT_NE(nullptr, editor);
    ::SendMessageA(::GetDlgItem(editor, IDC_HOTKEY_FILE), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>("C:\\Windows\\notepad.exe"));
    ::PostMessageA(::GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);

    HWND warning = program.WaitForMessageBox();
    ASSERT_NE(nullptr, warning);
    EXPECT_EQ("Access Nimbook Customization - Warning", CWnd::GetWindowText(warning));
    EXPECT_EQ("Changing the operation of the \"Nimbook\" button disables the function of Access Nimbook "
              "Assistant for users.\nAccess Nimbook Customization tool will now exit.\n",
              MessageBoxText(warning));
    PressMessageBoxOk(warning);

    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_EQ("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\NBHOTKEY\\8001]\n"
              "\"DispName\"=\"Access Nimbook II\"\n\"File\"=\"C:\\\\Windows\\\\notepad.exe\"\n",
              ReadFileBytes(m_base.ExportFile()));
}

}  // namespace
