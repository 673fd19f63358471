#include "app/CustomizeApp.h"

#include "app/ConsoleCommands.h"
#include "app/StartupTexts.h"
#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "customization/CustomizationExport.h"
#include "editors/CdEditDlg.h"
#include "editors/HotkeyAppDlg.h"
#include "framework/Seams.h"
#include "mainwnd/AnimationDlg.h"

#include <memory>

CCustomizeApp::CCustomizeApp(const wchar_t* commandLine)
    : m_command(ParseCommandLine(commandLine ? commandLine : ::GetCommandLineW()))
{
    // Their failure boxes must not stop a command that runs without windows.
    if (m_command.kind == CommandKind::None)
        LoadStartupMessages(m_messages);
}

int CCustomizeApp::ExitInstance()
{
    return m_nExitCode;
}

CCustomizeApp::~CCustomizeApp() = default;

namespace {

// The title of the running instance's main window, read from the machine's main texts.
bool ReadMainTitle(std::string& title)
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kOpeningRegistry, result, kCaptionMessage, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    result = ReadRegistryString(key.Get(), RegValues::Title, 256, title);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kRegistryError, result, kCaptionMessage, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

}  // namespace

void CCustomizeApp::ToggleRunningInstance()
{
    std::string title;
    ReadMainTitle(title);
    // Without a title there is nothing to look for: an empty title would match any untitled
    // window of another program.
    if (title.empty())
        return;
    HWND running = ::FindWindowA(nullptr, title.c_str());
    if (!running)
        return;
    if (!::IsIconic(running) && ::GetForegroundWindow() == running) {
        ::ShowWindow(running, SW_MINIMIZE);
    } else {
        ::SetForegroundWindow(running);
        ::ShowWindow(running, SW_SHOWNORMAL);
    }
}

bool CCustomizeApp::RunInstallationChecks()
{
    if (!IsHotkeyUtilityInstalled()) {
        ShowMessageBox(nullptr, kInstallUtilitiesText, kCaptionToolError, MB_OK | MB_ICONHAND);
        return false;
    }
    // The administrator may reassign the button in its editor; only then is it checked.
    bool bReassigned = false;
    {
        CRegKey hotkeyButton;
        if (OpenHotkeyButton(hotkeyButton)) {
            auto editor = std::make_unique<CHotkeyAppDlg>(nullptr);
            editor->DoModal();
            editor.reset();
            bReassigned = IsHotkeyButtonReassigned(hotkeyButton);
        }
    }
    if (bReassigned) {
        ShowMessageBox(nullptr, kButtonReassignedText, kCaptionToolWarning, MB_OK | MB_ICONEXCLAMATION);
        WriteCustomizationExport(false);
        return false;
    }
    if (QueryAssistantIniPath() != ERROR_SUCCESS) {
        ShowMessageBox(nullptr, kInstallAssistantText, kCaptionToolError, MB_OK | MB_ICONHAND);
        return false;
    }
    if (!IsBrowserInstalled()) {
        ShowMessageBox(nullptr, m_messages.m_strNoBrowser, kCaptionToolWarning, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CCustomizeApp::RunMainWindow()
{
    auto mainWindow = std::make_unique<CAnimationDlg>(nullptr);
    m_pMainWnd = mainWindow.get();
    mainWindow->SetNoLogo(true);
    mainWindow->DoModal();
    m_pMainWnd = nullptr;
}

BOOL CCustomizeApp::InitInstance()
{
    if (m_command.kind != CommandKind::None) {
        m_nExitCode = RunConsoleCommand(m_command);
        return FALSE;
    }
    EnableControlHosting();

    m_pInstanceMutex = std::make_unique<CInstanceMutex>();
    if (!m_pInstanceMutex->IsFirstInstance()) {
        ToggleRunningInstance();
        return FALSE;
    }
    if (!RunInstallationChecks())
        return FALSE;

    // The software CD dialog replica comes first on every start, whatever the assistant's
    // own switches say.
    auto cdDialog = std::make_unique<CCdEditDlg>(nullptr);
    cdDialog->DoModal();
    cdDialog.reset();

    RunMainWindow();
    // However the main window was closed.
    WriteCustomizationExport(true);
    return FALSE;
}
