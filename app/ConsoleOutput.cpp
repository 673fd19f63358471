#include "app/ConsoleOutput.h"

CConsoleOutput::CConsoleOutput()
{
    m_hOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (m_hOutput && m_hOutput != INVALID_HANDLE_VALUE)
        return;
    m_hOutput = nullptr;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            m_hOutput = console;
            m_bOwned = true;
        }
    }
}

CConsoleOutput::~CConsoleOutput()
{
    if (m_bOwned)
        ::CloseHandle(m_hOutput);
}

void CConsoleOutput::WriteLine(const std::string& line)
{
    if (!m_hOutput)
        return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(m_hOutput, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
