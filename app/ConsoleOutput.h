// Text lines for the console that started the program (a windowed program has none of its
// own): its standard output when it has one, else the parent's console, else nowhere.
#pragma once

#include <windows.h>

#include <string>

class CConsoleOutput {
public:
    CConsoleOutput();
    CConsoleOutput(const CConsoleOutput&) = delete;
    CConsoleOutput& operator=(const CConsoleOutput&) = delete;
    ~CConsoleOutput();

    void WriteLine(const std::string& line);

private:
    HANDLE m_hOutput = nullptr;
    bool m_bOwned = false;
};
