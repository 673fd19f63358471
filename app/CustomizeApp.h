// The application object: single instance, installation checks, the dialogs in their order,
// and the export at the end.
#pragma once

#include "app/CommandLine.h"
#include "framework/WinApp.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <array>
#include <string>

inline constexpr const char* kInstanceMutexName = "Mutex_Access_Nimbook";

class CCustomizeApp : public CWinApp {
public:
    // A command (/export, /apply) on the given command line, null for the process's own,
    // runs without windows: the start-up messages are then not loaded.
    explicit CCustomizeApp(const wchar_t* commandLine = nullptr);
    ~CCustomizeApp() override;

    // Runs the whole session and always returns FALSE, so the process ends when it returns.
    BOOL InitInstance() override;
    // The process's exit status: 0, or what a command (/export, /apply) ended with.
    int ExitInstance() override;

    // True when this is the first instance; it then owns the mutex until it is destroyed.
    bool CreateInstanceMutex(const char* name);
    // The title of the running instance's main window.
    bool ReadMainTitle(std::string& title);

    // Installation checks, in the order InitInstance runs them.
    bool LoadStartupMessages();
    bool IsHotkeyUtilityInstalled();
    bool IsHotkeyButtonReassigned();
    LONG QueryAssistantIniPath();
    bool IsBrowserInstalled();

    // Runs a command without any window; its exit status.
    int RunCommand(const CCommandLine& command);

    CHandle m_hMutex;
    // NOIE4, NOSHOCKWAVE and ERROR of the main texts, read at construction.
    std::array<std::string, 3> m_strMessages;
    int m_nExitCode = 0;

private:
    CCommandLine m_command;

    void ToggleRunningInstance();
    // False when a check failed; its box has been shown then.
    bool RunInstallationChecks();
    // The main customization window, modally, until it is closed.
    void RunMainWindow();
};
