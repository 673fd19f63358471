// The application object: single instance, installation checks, the dialogs in their order,
// and the export at the end; or, given a command (/export, /apply), that command alone.
#pragma once

#include "app/CommandLine.h"
#include "app/InstallationChecks.h"
#include "app/InstanceMutex.h"
#include "framework/WinApp.h"

#include <memory>
#include <string>

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

    // NOIE4, NOSHOCKWAVE and ERROR of the main texts, read at construction.
    const CStartupMessages& GetStartupMessages() const { return m_messages; }

private:
    // Brings the running instance's main window forward, or minimizes it when it is in front.
    void ToggleRunningInstance();
    // False when a check failed; its box has been shown then.
    bool RunInstallationChecks();
    // The main customization window, modally, until it is closed.
    void RunMainWindow();

    CCommandLine m_command;
    CStartupMessages m_messages;
    std::unique_ptr<CInstanceMutex> m_pInstanceMutex;
    int m_nExitCode = 0;
};
