// walkthrough: runs NbCustomize.exe once like an administrator who accepts everything
// that is shown, and takes a screenshot of every window on the way.
//
//   walkthrough.exe PROGRAM INSTALL_DIR SHOT_DIR [TIMEOUT_SECONDS]
//
// PROGRAM is started with INSTALL_DIR as its current directory. Each visible top-level
// window of the process is, once it has had time to paint, saved as a 24-bit BMP
// (SHOT_DIR\NN-kind.bmp) and then answered:
//   hot-key button application editor (controls 1028, 1029)  -> Cancel (2)
//   software CD dialog replica (control 1078)                 -> hidden default button 1044
//   main customization window (control 1007)                  -> its close field 1007
//   message box                                               -> OK (or Yes, or its only button)
//   anything else                                             -> WM_CLOSE
// Clicks are posted as the WM_COMMAND notifications the controls send. A window is answered
// only while it is enabled (a window under a modal box waits for the box).
//
// Screenshots need a real display driver: under Xvfb they work; with Wine's null display
// driver BitBlt from the screen fails, and the driver reports that and goes on.
// The exit code is the program's; 1 when it has not ended within the timeout.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPaintDelayMs = 500;
// The main window's band animation plays for two seconds before it rests on its last frame.
constexpr DWORD kMainWindowDelayMs = 3000;
constexpr DWORD kPollMs = 100;

struct CHandle {
    HANDLE m_h = nullptr;
    ~CHandle() { if (m_h) CloseHandle(m_h); }
};

struct CScreenDC {
    HDC m_hdc = GetDC(nullptr);
    ~CScreenDC() { if (m_hdc) ReleaseDC(nullptr, m_hdc); }
};

struct CMemoryDC {
    HDC m_hdc;
    explicit CMemoryDC(HDC hdcRef) : m_hdc(CreateCompatibleDC(hdcRef)) {}
    ~CMemoryDC() { if (m_hdc) DeleteDC(m_hdc); }
};

struct CGdiObject {
    HGDIOBJ m_h;
    explicit CGdiObject(HGDIOBJ h) : m_h(h) {}
    ~CGdiObject() { if (m_h) DeleteObject(m_h); }
};

struct CTracked {
    HWND m_wnd = nullptr;
    ULONGLONG m_nFirstSeen = 0;
    bool m_bShot = false;
    bool m_bAnswered = false;
};

enum class EKind { HotKeyEditor, CdDialog, MainWindow, MessageBox, Other };

const char* KindName(EKind kind)
{
    switch (kind) {
    case EKind::HotKeyEditor: return "hotkey-editor";
    case EKind::CdDialog: return "cd-dialog";
    case EKind::MainWindow: return "main-window";
    case EKind::MessageBox: return "message-box";
    case EKind::Other: break;
    }
    return "window";
}

std::string ClassOf(HWND wnd)
{
    char sz[256] = {};
    GetClassNameA(wnd, sz, sizeof sz);
    return sz;
}

std::string TextOf(HWND wnd)
{
    DWORD_PTR nLength = 0;
    if (!SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &nLength))
        return {};
    std::string str(nLength + 1, '\0');
    DWORD_PTR nCopied = 0;
    if (!SendMessageTimeoutA(wnd, WM_GETTEXT, str.size(), reinterpret_cast<LPARAM>(str.data()),
                             SMTO_ABORTIFHUNG, 1000, &nCopied))
        return {};
    str.resize(nCopied < str.size() ? nCopied : str.size() - 1);
    return str;
}

// Windows that come and go with the pointer or a drop-down, never answered.
bool IsTransient(HWND wnd)
{
    const std::string strClass = ClassOf(wnd);
    return strClass == "tooltips_class32" || strClass == "ComboLBox" || strClass == "#32768";
}

EKind KindOf(HWND wnd)
{
    if (GetDlgItem(wnd, 1028) && GetDlgItem(wnd, 1029))
        return EKind::HotKeyEditor;
    if (GetDlgItem(wnd, 1078))
        return EKind::CdDialog;
    if (GetDlgItem(wnd, 1007))
        return EKind::MainWindow;
    if (ClassOf(wnd) == "#32770" && GetDlgItem(wnd, 0xFFFF))
        return EKind::MessageBox;
    return EKind::Other;
}

struct CEnumContext {
    DWORD m_nProcessId;
    std::vector<HWND> m_wnds;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM lParam)
{
    auto* pContext = reinterpret_cast<CEnumContext*>(lParam);
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(wnd, &nProcessId);
    if (nProcessId == pContext->m_nProcessId && IsWindowVisible(wnd) && !IsTransient(wnd))
        pContext->m_wnds.push_back(wnd);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD nProcessId)
{
    CEnumContext context{nProcessId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return context.m_wnds;
}

struct CShot {
    std::string m_strPath;
    std::string m_strError;
};

std::string LastError(const char* pszWhat)
{
    return std::string(pszWhat) + " failed (error " + std::to_string(GetLastError()) + ")";
}

// The window's rectangle, clipped to the screen; empty when it is off the screen.
RECT ScreenRectOf(HWND wnd)
{
    RECT rc{};
    if (!GetWindowRect(wnd, &rc))
        return {};
    const int nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    rc.left = rc.left < 0 ? 0 : rc.left;
    rc.top = rc.top < 0 ? 0 : rc.top;
    rc.right = rc.right > nScreenWidth ? nScreenWidth : rc.right;
    rc.bottom = rc.bottom > nScreenHeight ? nScreenHeight : rc.bottom;
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return {};
    return rc;
}

// Copies the screen rectangle into a 24-bit BMP file; returns an error text, or "".
std::string SaveScreenBitmap(const RECT& rc, const std::string& strPath)
{
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    CScreenDC screen;
    if (!screen.m_hdc)
        return LastError("GetDC");
    CMemoryDC memory(screen.m_hdc);
    if (!memory.m_hdc)
        return LastError("CreateCompatibleDC");

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = nHeight; // bottom-up, as stored in the file
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    CGdiObject bmp(CreateDIBSection(screen.m_hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bmp.m_h || !pBits)
        return LastError("CreateDIBSection");

    HGDIOBJ hOld = SelectObject(memory.m_hdc, bmp.m_h);
    const BOOL bCopied = BitBlt(memory.m_hdc, 0, 0, nWidth, nHeight, screen.m_hdc, rc.left, rc.top,
                                SRCCOPY | CAPTUREBLT);
    const std::string strBltError = bCopied ? "" : LastError("BitBlt");
    GdiFlush();
    SelectObject(memory.m_hdc, hOld);
    if (!bCopied)
        return strBltError;

    const DWORD nStride = (static_cast<DWORD>(nWidth) * 3 + 3) & ~3u;
    const DWORD nImageSize = nStride * static_cast<DWORD>(nHeight);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + nImageSize;
    bmi.bmiHeader.biSizeImage = nImageSize;

    CHandle file;
    file.m_h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.m_h == INVALID_HANDLE_VALUE) {
        file.m_h = nullptr;
        return LastError("CreateFile");
    }
    DWORD nWritten = 0;
    if (!WriteFile(file.m_h, &header, sizeof header, &nWritten, nullptr)
        || !WriteFile(file.m_h, &bmi.bmiHeader, sizeof bmi.bmiHeader, &nWritten, nullptr)
        || !WriteFile(file.m_h, pBits, nImageSize, &nWritten, nullptr))
        return LastError("WriteFile");
    return "";
}

// A screenshot of the window as SHOT_DIR\NAME.bmp.
CShot TakeScreenshot(HWND wnd, const std::string& strShotDir, const std::string& strName)
{
    const std::string strPath = strShotDir + "\\" + strName + ".bmp";
    const RECT rc = ScreenRectOf(wnd);
    if (rc.right <= rc.left)
        return {strPath, "the window is not on the screen"};
    return {strPath, SaveScreenBitmap(rc, strPath)};
}

// Posts the notification a click on the dialog's control would send.
bool Click(HWND dlg, int nId)
{
    HWND ctl = GetDlgItem(dlg, nId);
    if (!ctl)
        return false;
    return PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
}

BOOL CALLBACK FindButton(HWND ctl, LPARAM lParam)
{
    auto* pId = reinterpret_cast<int*>(lParam);
    if (ClassOf(ctl) == "Button" && IsWindowVisible(ctl)) {
        *pId = GetDlgCtrlID(ctl);
        return FALSE;
    }
    return TRUE;
}

std::string Answer(HWND wnd, EKind kind)
{
    switch (kind) {
    case EKind::HotKeyEditor:
        return Click(wnd, IDCANCEL) ? "clicked Cancel (2)" : "no Cancel button (2)";
    case EKind::CdDialog:
        return Click(wnd, 1044) ? "clicked 1044" : "no control 1044";
    case EKind::MainWindow:
        return Click(wnd, 1007) ? "clicked 1007" : "no control 1007";
    case EKind::MessageBox: {
        for (int nId : {IDOK, IDYES}) {
            if (Click(wnd, nId))
                return "clicked button " + std::to_string(nId);
        }
        int nId = 0;
        EnumChildWindows(wnd, FindButton, reinterpret_cast<LPARAM>(&nId));
        if (nId != 0 && Click(wnd, nId))
            return "clicked button " + std::to_string(nId);
        PostMessageA(wnd, WM_CLOSE, 0, 0);
        return "no button; posted WM_CLOSE";
    }
    case EKind::Other:
        break;
    }
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    return "posted WM_CLOSE";
}

std::string Quoted(const std::string& str)
{
    std::string strOut = "\"";
    for (char ch : str) {
        if (ch == '\r')
            continue;
        strOut += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    }
    return strOut + "\"";
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 4) {
        std::fprintf(stderr, "usage: walkthrough PROGRAM INSTALL_DIR SHOT_DIR [TIMEOUT_SECONDS]\n");
        return 2;
    }
    const std::string strProgram = argv[1];
    const std::string strInstallDir = argv[2];
    const std::string strShotDir = argv[3];
    const ULONGLONG nTimeoutMs = (argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 60) * 1000;
    CreateDirectoryA(strShotDir.c_str(), nullptr);

    // Keep the pointer off the windows: no hover effects in the screenshots.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

    std::string strCommandLine = "\"" + strProgram + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(strProgram.c_str(), strCommandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, strInstallDir.c_str(), &si, &pi)) {
        std::printf("walkthrough: cannot start %s (error %lu)\n", strProgram.c_str(), GetLastError());
        return 1;
    }
    CHandle process;
    process.m_h = pi.hProcess;
    CHandle thread;
    thread.m_h = pi.hThread;
    std::printf("walkthrough: started %s in %s\n", strProgram.c_str(), strInstallDir.c_str());

    const ULONGLONG nStart = GetTickCount64();
    std::vector<CTracked> tracked;
    int nShot = 0;
    while (WaitForSingleObject(process.m_h, kPollMs) == WAIT_TIMEOUT) {
        const ULONGLONG nNow = GetTickCount64();
        if (nNow - nStart > nTimeoutMs) {
            std::printf("walkthrough: FAILED: the program did not end within %llu s; terminating it\n",
                        nTimeoutMs / 1000);
            TerminateProcess(process.m_h, 1);
            WaitForSingleObject(process.m_h, 5000);
            return 1;
        }

        // Forget windows that are gone or hidden; a window shown again counts as new.
        const std::vector<HWND> wnds = VisibleWindowsOf(pi.dwProcessId);
        std::vector<CTracked> current;
        for (HWND wnd : wnds) {
            CTracked entry{wnd, nNow, false, false};
            bool bKnown = false;
            for (const CTracked& old : tracked) {
                if (old.m_wnd == wnd) {
                    entry = old;
                    bKnown = true;
                }
            }
            if (!bKnown)
                std::printf("[%6.2f s] appeared %s\n", (nNow - nStart) / 1000.0, Quoted(TextOf(wnd)).c_str());
            current.push_back(entry);
        }
        tracked = current;

        // Screenshots of every window that has had time to paint.
        for (CTracked& entry : tracked) {
            const DWORD nDelayMs = KindOf(entry.m_wnd) == EKind::MainWindow ? kMainWindowDelayMs : kPaintDelayMs;
            if (entry.m_bShot || nNow - entry.m_nFirstSeen < nDelayMs)
                continue;
            entry.m_bShot = true;
            const EKind kind = KindOf(entry.m_wnd);
            char szName[64];
            std::snprintf(szName, sizeof szName, "%02d-%s", ++nShot, KindName(kind));
            const CShot shot = TakeScreenshot(entry.m_wnd, strShotDir, szName);
            std::printf("[%6.2f s] screenshot %s %s%s%s\n", (nNow - nStart) / 1000.0, shot.m_strPath.c_str(),
                        Quoted(TextOf(entry.m_wnd)).c_str(), shot.m_strError.empty() ? "" : ": FAILED: ",
                        shot.m_strError.c_str());
            if (kind == EKind::MessageBox) {
                std::printf("           text: %s\n", Quoted(TextOf(GetDlgItem(entry.m_wnd, 0xFFFF))).c_str());
            }
        }

        // Answer one enabled window per round: the one that appeared last.
        CTracked* pNext = nullptr;
        for (CTracked& entry : tracked) {
            if (!entry.m_bShot || entry.m_bAnswered || !IsWindowEnabled(entry.m_wnd))
                continue;
            if (!pNext || entry.m_nFirstSeen > pNext->m_nFirstSeen)
                pNext = &entry;
        }
        if (pNext) {
            pNext->m_bAnswered = true;
            const EKind kind = KindOf(pNext->m_wnd);
            const std::string strTitle = Quoted(TextOf(pNext->m_wnd));
            std::printf("[%6.2f s] %s %s: %s\n", (nNow - nStart) / 1000.0, KindName(kind),
                        strTitle.c_str(), Answer(pNext->m_wnd, kind).c_str());
        }
    }

    DWORD nExitCode = 1;
    GetExitCodeProcess(process.m_h, &nExitCode);
    std::printf("walkthrough: the program ended with exit code %lu after %.2f s\n", nExitCode,
                (GetTickCount64() - nStart) / 1000.0);
    return static_cast<int>(nExitCode);
}
