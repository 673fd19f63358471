#include "tests/support/PlatformBoxes.h"

#include "config/RegistryAccess.h"

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previous = SetMessageBoxHandler([this](HWND owner, const std::string& text, const std::string& caption, UINT type) {
        m_boxes.push_back({owner, text, caption, type});
        if (m_onBox)
            m_onBox(m_boxes.back());
        return IDOK;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetMessageBoxHandler(std::move(m_previous));
}

CFileOpenFake::CFileOpenFake()
{
    m_previous = SetFileOpenHandler([this](const FileOpenRequest& request, std::string& path) {
        m_requests.push_back(request);
        if (m_whileShown)
            m_whileShown();
        if (m_answers.empty())
            return false;
        std::optional<std::string> answer = m_answers.front();
        m_answers.pop_front();
        if (!answer)
            return false;
        path = *answer;
        return true;
    });
}

CFileOpenFake::~CFileOpenFake()
{
    SetFileOpenHandler(std::move(m_previous));
}

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                        FORMAT_MESSAGE_FROM_SYSTEM,
                                    nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = (length && text) ? std::string(text, length) : std::string();
    if (text)
        ::LocalFree(text);
    return result;
}
