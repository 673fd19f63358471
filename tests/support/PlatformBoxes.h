// Records the message boxes and file-open boxes the program shows, and answers them.
#pragma once

#include "framework/Seams.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RecordedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// While it lives, every message box is recorded and answered with IDOK (or the answers
// queued with Answer).
class CMessageBoxRecorder {
public:
    CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;
    ~CMessageBoxRecorder();

    std::vector<RecordedBox> m_boxes;
    // Runs when a box is shown, before it is answered.
    std::function<void(const RecordedBox&)> m_onBox;

private:
    MessageBoxHandler m_previous;
};

// While it lives, every file-open box is recorded and answered from a queue: a path (OK) or
// no path (Cancel). An empty queue answers Cancel.
class CFileOpenFake {
public:
    CFileOpenFake();
    CFileOpenFake(const CFileOpenFake&) = delete;
    CFileOpenFake& operator=(const CFileOpenFake&) = delete;
    ~CFileOpenFake();

    void Answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }

    std::vector<FileOpenRequest> m_requests;
    // Runs when the box is shown (for example to change the current directory, as the
    // platform's box may).
    std::function<void()> m_whileShown;

private:
    std::deque<std::optional<std::string>> m_answers;
    FileOpenHandler m_previous;
};

// The system's text for an error code, as the program shows it after a prefix.
std::string SystemText(DWORD code);
