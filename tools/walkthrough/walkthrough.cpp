// walkthrough: runs NbCustomize.exe once like an administrator who accepts everything
// that is shown, and takes a screenshot of every window on the way.
//
//   walkthrough.exe PROGRAM INSTALL_DIR SHOT_DIR [TIMEOUT_SECONDS]
//
// PROGRAM is started with INSTALL_DIR as its current directory. Each visible top-level
// window of the process is, once it has had time to paint, saved as a 24-bit BMP
// (SHOT_DIR\NN-kind.bmp) and then answered (each window is known by its controls):
//   hot-key button application editor   -> Cancel
//   software CD dialog replica          -> its hidden default button
//   main customization window           -> the changes below, one at a time, then its close field
//   category / web-link editor          -> a new text, then OK
//   web-link icon exchange              -> a new normal icon, then OK
//   left-side image replacement         -> a new default picture, then OK
//   Internet welcome dialog replica     -> a new first paragraph, then OK
//   file-open box                       -> the prepared bitmap, then OK
//   message box                         -> OK (or Yes, or its only button)
//   anything else                       -> WM_CLOSE
// The main window's changes: category label 3, the target of web link 1, web-link icon 1,
// the default left-side picture and the Internet welcome text. After each change the main
// window is shot again; an editor is shot once it shows its change. The new bitmaps are
// written to SHOT_DIR\art, at the size of the pictures they replace.
// Clicks are posted as the WM_COMMAND notifications the controls send. A window is answered
// only while it is enabled (a window under a modal box waits for the box).
//
// Screenshots need a real display driver: under Xvfb they work; with Wine's null display
// driver BitBlt from the screen fails, and the driver reports that and goes on.
// The exit code is the program's; 1 when it has not ended within the timeout.

#include "formats/BitmapFileWriter.h"
#include "framework/Gdi.h"
#include "framework/WinHandles.h"
#include "res/resource.h"

#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kPaintDelayMs = 500;
// The main window's band animation plays for two seconds before it rests on its last frame.
constexpr DWORD kMainWindowDelayMs = 3000;
constexpr DWORD kPollMs = 100;
// How long a window waits for the window that its action opens before it goes on.
constexpr ULONGLONG kEditorWaitMs = 10000;

struct CTracked {
    HWND m_wnd = nullptr;
    ULONGLONG m_nFirstSeen = 0;  // or the time of its last action, after which it is shot again
    bool m_bShot = false;
    bool m_bAnswered = false;
    int m_nPhase = 0;            // actions taken so far
    int m_nOrder = 0;            // when it appeared, counted in windows
    int m_nAppearedAtAction = 0; // windows that had appeared when it took its last action
    bool m_bAwaitsWindow = false; // its last action opens a window, which must come and go first
    ULONGLONG m_nInChargeSince = 0; // when it was last seen back in charge after an action (0: not)
};

enum class EKind {
    HotKeyEditor, CdDialog, MainWindow, CategoryEditor, IconExchange, SideImages, InternetEditor, FileOpen,
    MessageBox, Other
};

const char* KindName(EKind kind)
{
    switch (kind) {
    case EKind::HotKeyEditor: return "hotkey-editor";
    case EKind::CdDialog: return "cd-dialog";
    case EKind::MainWindow: return "main-window";
    case EKind::CategoryEditor: return "category-editor";
    case EKind::IconExchange: return "icon-exchange";
    case EKind::SideImages: return "side-images";
    case EKind::InternetEditor: return "internet-editor";
    case EKind::FileOpen: return "file-open";
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
    if (GetDlgItem(wnd, IDC_HOTKEY_DISPNAME) && GetDlgItem(wnd, IDC_HOTKEY_FILE))
        return EKind::HotKeyEditor;
    if (GetDlgItem(wnd, IDC_CD_OKAY))
        return EKind::CdDialog;
    if (GetDlgItem(wnd, IDC_CLOSE))
        return EKind::MainWindow;
    // The file-open box: its file name combo and the label before it.
    if (ClassOf(wnd) == "#32770" && GetDlgItem(wnd, cmb13) && GetDlgItem(wnd, stc3))
        return EKind::FileOpen;
    if (GetDlgItem(wnd, IDC_CATEGORY_SOURCE))
        return EKind::CategoryEditor;
    if (GetDlgItem(wnd, IDC_ICON_NUMBER))
        return EKind::IconExchange;
    if (GetDlgItem(wnd, IDC_SIDE_EXISTING1))
        return EKind::SideImages;
    if (GetDlgItem(wnd, IDC_INET_OKAY))
        return EKind::InternetEditor;
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

// Writes a whole file; returns an error text, or "".
std::string WriteWholeFile(const std::string& strPath, const std::string& bytes)
{
    CHandle file(CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LastError("CreateFile");
    DWORD nWritten = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr))
        return LastError("WriteFile");
    return "";
}

// A pixel as the bitmap file writer takes it, from a COLORREF.
std::uint32_t PixelOf(COLORREF colour)
{
    return static_cast<std::uint32_t>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

// Copies the screen rectangle into a 24-bit BMP file; returns an error text, or "".
std::string SaveScreenBitmap(const RECT& rc, const std::string& strPath)
{
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    CClientDC screen(nullptr);
    if (!screen.Get())
        return LastError("GetDC");
    CMemoryDC memory(screen.Get());
    if (!memory.Get())
        return LastError("CreateCompatibleDC");

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -nHeight;  // top-down: row y at y * nWidth
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    CBitmap bitmap;
    bitmap.Attach(CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bitmap || !pBits)
        return LastError("CreateDIBSection");
    {
        CSelectObject select(memory.Get(), bitmap.GetSafeHandle());
        if (!BitBlt(memory.Get(), 0, 0, nWidth, nHeight, screen.Get(), rc.left, rc.top, SRCCOPY | CAPTUREBLT))
            return LastError("BitBlt");
        GdiFlush();
    }
    const auto* pixels = static_cast<const std::uint32_t*>(pBits);
    return WriteWholeFile(strPath, nb::bmp::BitmapFileBytes(nWidth, nHeight, 24, [&](int x, int y) {
                              return pixels[static_cast<size_t>(y) * nWidth + x] & 0xFFFFFF;
                          }));
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

// The main window's changes, in order: the field clicked for each.
struct CMainStep {
    int m_nId;
    const char* m_pszWhat;
};
constexpr CMainStep kMainSteps[] = {
    {IDC_CATEGORY3, "category label 3"},
    {IDC_WEBLINK_TEXT1, "web link 1"},
    {IDC_WEBLINK_ICON1, "web-link icon 1"},
    {IDC_LEFT_IMAGE, "left-side picture"},
    {IDC_EDIT_INTERNET_WELCOME, "Edit Internet Welcome"},
};

// What the walkthrough types and chooses.
struct CScript {
    std::string m_strIconFile;  // the new normal icon of web link 1
    std::string m_strSideFile;  // the new default left-side picture
    std::string m_strNextFile;  // what the next file-open box gets
};

struct CAnswer {
    std::string m_strWhat;
    bool m_bAgain = false;       // the window takes another action once it has been shot again
    bool m_bOpensWindow = false; // ... after the window that this action opens has come and gone
};

bool SetText(HWND dlg, int nId, const std::string& str)
{
    HWND ctl = GetDlgItem(dlg, nId);
    DWORD_PTR nResult = 0;
    return ctl && SendMessageTimeoutA(ctl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(str.c_str()), SMTO_ABORTIFHUNG,
                                      2000, &nResult);
}

// Types a text into an edit field as the keyboard does, replacing what it holds: the replicas
// count only typing as a change.
bool TypeText(HWND dlg, int nId, const std::string& str)
{
    HWND ctl = GetDlgItem(dlg, nId);
    DWORD_PTR nResult = 0;
    if (!ctl || !SendMessageTimeoutA(ctl, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 2000, &nResult))
        return false;
    for (char ch : str) {
        if (!SendMessageTimeoutA(ctl, WM_CHAR, static_cast<unsigned char>(ch), 1, SMTO_ABORTIFHUNG, 2000, &nResult))
            return false;
    }
    return true;
}

CAnswer Answer(HWND wnd, EKind kind, int nPhase, CScript& script)
{
    auto clicked = [&](int nId, bool bAgain) -> CAnswer {
        return {Click(wnd, nId) ? "clicked " + std::to_string(nId) : "no control " + std::to_string(nId), bAgain,
                bAgain};
    };
    switch (kind) {
    case EKind::HotKeyEditor:
        return {Click(wnd, IDCANCEL) ? "clicked Cancel (2)" : "no Cancel button (2)"};
    case EKind::CdDialog:
        return clicked(IDC_DEFAULT_BUTTON, false);
    case EKind::MainWindow:
        if (nPhase < static_cast<int>(std::size(kMainSteps))) {
            CAnswer answer = clicked(kMainSteps[nPhase].m_nId, true);
            answer.m_strWhat += std::string(" (") + kMainSteps[nPhase].m_pszWhat + ")";
            return answer;
        }
        return clicked(IDC_CLOSE, false);
    case EKind::CategoryEditor:
        if (nPhase == 0) {
            // Category label 3 gets a new label, web link 1 a new target.
            const bool bCategory = TextOf(GetDlgItem(wnd, IDC_CATEGORY_FIELD_NUMBER)) == "7";
            const bool bSet = bCategory ? TypeText(wnd, IDC_CATEGORY_BUTTON_TEXT, "Ask the Expert")
                                        : TypeText(wnd, IDC_CATEGORY_LAUNCHABLE_ITEM, "http://www.corvane.com/nimbook/");
            return {bSet ? (bCategory ? "typed the label \"Ask the Expert\"" : "typed a new target") : "could not type",
                    true};
        }
        return clicked(IDOK, false);
    case EKind::IconExchange:
        if (nPhase == 0) {
            script.m_strNextFile = script.m_strIconFile;
            return clicked(IDC_ICON_NORMAL, true);
        }
        return clicked(IDOK, false);
    case EKind::SideImages:
        if (nPhase == 0) {
            script.m_strNextFile = script.m_strSideFile;
            return clicked(IDC_SIDE_NEW1, true);
        }
        return clicked(IDOK, false);
    case EKind::InternetEditor:
        if (nPhase == 0) {
            const bool bSet = TypeText(wnd, IDC_INET_TEXT1, "Welcome! Access Nimbook now takes you to Corvane on the Web.");
            return {bSet ? "typed a new first paragraph" : "could not type", true};
        }
        return clicked(IDC_INET_OKAY, false);
    case EKind::FileOpen:
        if (!SetText(wnd, cmb13, script.m_strNextFile))
            return {"could not type the file name"};
        return {clicked(IDOK, false).m_strWhat + " with " + script.m_strNextFile};
    case EKind::MessageBox: {
        for (int nId : {IDOK, IDYES}) {
            if (Click(wnd, nId))
                return {"clicked button " + std::to_string(nId)};
        }
        int nId = 0;
        EnumChildWindows(wnd, FindButton, reinterpret_cast<LPARAM>(&nId));
        if (nId != 0 && Click(wnd, nId))
            return {"clicked button " + std::to_string(nId)};
        PostMessageA(wnd, WM_CLOSE, 0, 0);
        return {"no button; posted WM_CLOSE"};
    }
    case EKind::Other:
        break;
    }
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    return {"posted WM_CLOSE"};
}

// The size of a bitmap file; 32 x 32 when it cannot be loaded.
SIZE BitmapSizeOf(const std::string& strPath)
{
    SIZE size{32, 32};
    CBitmap bitmap;
    bitmap.Attach(static_cast<HBITMAP>(
        LoadImageA(nullptr, strPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (bitmap.GetBitmap(bm)) {
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight;
    }
    return size;
}

// Writes a new picture the size of the one it replaces: rings in the given colours, easy
// to tell from the sample artwork.
bool WriteArt(const std::string& strPath, SIZE size, COLORREF inner, COLORREF outer)
{
    const int nWidth = size.cx;
    const int nHeight = size.cy;
    const std::string bytes = nb::bmp::BitmapFileBytes(nWidth, nHeight, 24, [&](int x, int yFromTop) {
        // Rows counted from the bottom, where the rings have always started.
        const int y = nHeight - 1 - yFromTop;
        const int dx = 2 * x - nWidth;
        const int dy = 2 * y - nHeight;
        const int nRing = static_cast<int>((dx * dx + dy * dy) / (nWidth * nWidth / 9 + 1)) % 2;
        return PixelOf(nRing ? outer : inner);
    });
    return WriteWholeFile(strPath, bytes).empty();
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

// The new artwork that the walkthrough installs, written to SHOT_DIR\art at the sizes of the
// pictures it replaces.
CScript WriteNewArtwork(const std::string& strShotDir, const std::string& strInstallDir)
{
    CScript script;
    const std::string strArtDir = strShotDir + "\\art";
    CreateDirectoryA(strArtDir.c_str(), nullptr);
    script.m_strIconFile = strArtDir + "\\NewIcon1.bmp";
    script.m_strSideFile = strArtDir + "\\NewImage0.bmp";
    if (!WriteArt(script.m_strIconFile, BitmapSizeOf(strInstallDir + "\\images\\Icon1.bmp"), RGB(255, 160, 0),
                  RGB(0, 90, 200)) ||
        !WriteArt(script.m_strSideFile, BitmapSizeOf(strInstallDir + "\\images\\Image0.bmp"), RGB(200, 0, 60),
                  RGB(255, 230, 80)))
        std::printf("walkthrough: cannot write the new artwork in %s\n", strArtDir.c_str());
    return script;
}

// The windows of one run of the program: each is shot once it has had time to paint, and the
// latest one is answered.
class CWalk {
public:
    CWalk(std::string strShotDir, CScript script, ULONGLONG nStart)
        : m_strShotDir(std::move(strShotDir)), m_script(std::move(script)), m_nStart(nStart)
    {
    }

    // Forgets windows that are gone or hidden; a window shown again counts as new.
    void TrackWindows(DWORD nProcessId, ULONGLONG nNow)
    {
        std::vector<CTracked> current;
        for (HWND wnd : VisibleWindowsOf(nProcessId)) {
            CTracked entry{wnd, nNow};
            bool bKnown = false;
            for (const CTracked& old : m_tracked) {
                if (old.m_wnd == wnd) {
                    entry = old;
                    bKnown = true;
                }
            }
            if (!bKnown) {
                std::printf("[%6.2f s] appeared %s\n", Seconds(nNow), Quoted(TextOf(wnd)).c_str());
                entry.m_nOrder = ++m_nAppeared;
            }
            current.push_back(entry);
        }
        m_tracked = current;
    }

    // Screenshots of every window that has had time to paint.
    void ShootPaintedWindows(ULONGLONG nNow)
    {
        for (CTracked& entry : m_tracked) {
            if (!IsReadyToShoot(entry, nNow))
                continue;
            entry.m_bShot = true;
            const EKind kind = KindOf(entry.m_wnd);
            char szName[64];
            std::snprintf(szName, sizeof szName, "%02d-%s", ++m_nShot, KindName(kind));
            const CShot shot = TakeScreenshot(entry.m_wnd, m_strShotDir, szName);
            std::printf("[%6.2f s] screenshot %s %s%s%s\n", Seconds(nNow), shot.m_strPath.c_str(),
                        Quoted(TextOf(entry.m_wnd)).c_str(), shot.m_strError.empty() ? "" : ": FAILED: ",
                        shot.m_strError.c_str());
            if (kind == EKind::MessageBox) {
                std::printf("           text: %s\n", Quoted(TextOf(GetDlgItem(entry.m_wnd, 0xFFFF))).c_str());
            }
        }
    }

    // Answers one enabled window per round: the one that appeared last.
    void AnswerLatestWindow(ULONGLONG nNow)
    {
        CTracked* pNext = nullptr;
        for (CTracked& entry : m_tracked) {
            if (!entry.m_bShot || entry.m_bAnswered || !IsWindowEnabled(entry.m_wnd))
                continue;
            if (!pNext || entry.m_nFirstSeen > pNext->m_nFirstSeen)
                pNext = &entry;
        }
        if (!pNext)
            return;
        pNext->m_bAnswered = true;
        const EKind kind = KindOf(pNext->m_wnd);
        const std::string strTitle = Quoted(TextOf(pNext->m_wnd));
        const CAnswer answer = Answer(pNext->m_wnd, kind, pNext->m_nPhase, m_script);
        std::printf("[%6.2f s] %s %s: %s\n", Seconds(nNow), KindName(kind), strTitle.c_str(),
                    answer.m_strWhat.c_str());
        if (answer.m_bAgain) {
            pNext->m_bAnswered = false;
            pNext->m_bShot = false;
            pNext->m_nFirstSeen = nNow;
            pNext->m_nAppearedAtAction = m_nAppeared;
            pNext->m_bAwaitsWindow = answer.m_bOpensWindow;
            pNext->m_nInChargeSince = 0;
            ++pNext->m_nPhase;
        }
    }

private:
    double Seconds(ULONGLONG nNow) const { return (nNow - m_nStart) / 1000.0; }

    bool IsReadyToShoot(CTracked& entry, ULONGLONG nNow)
    {
        const DWORD nDelayMs = KindOf(entry.m_wnd) == EKind::MainWindow ? kMainWindowDelayMs : kPaintDelayMs;
        if (entry.m_bShot || nNow - entry.m_nFirstSeen < nDelayMs)
            return false;
        if (entry.m_nPhase == 0)
            return true;
        // After an action a window is shot again only when it is back in charge: the window
        // its action opened has come and gone (or never came), and nothing newer is open.
        bool bNewerOpen = false;
        for (const CTracked& other : m_tracked)
            bNewerOpen = bNewerOpen || other.m_nOrder > entry.m_nAppearedAtAction;
        const bool bAwaited = !entry.m_bAwaitsWindow || m_nAppeared > entry.m_nAppearedAtAction ||
                              nNow - entry.m_nFirstSeen >= kEditorWaitMs;
        if (!IsWindowEnabled(entry.m_wnd) || bNewerOpen || !bAwaited) {
            entry.m_nInChargeSince = 0;
            return false;
        }
        // Time to repaint what the closed window uncovered and what its change reloaded.
        if (!entry.m_nInChargeSince)
            entry.m_nInChargeSince = nNow;
        return nNow - entry.m_nInChargeSince >= kPaintDelayMs;
    }

    std::string m_strShotDir;
    CScript m_script;
    ULONGLONG m_nStart;
    std::vector<CTracked> m_tracked;
    int m_nShot = 0;
    int m_nAppeared = 0;  // windows that have appeared so far
};

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
    CScript script = WriteNewArtwork(strShotDir, strInstallDir);

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
    CHandle process(pi.hProcess);
    CHandle thread(pi.hThread);
    std::printf("walkthrough: started %s in %s\n", strProgram.c_str(), strInstallDir.c_str());

    const ULONGLONG nStart = GetTickCount64();
    CWalk walk(strShotDir, std::move(script), nStart);
    while (WaitForSingleObject(process.Get(), kPollMs) == WAIT_TIMEOUT) {
        const ULONGLONG nNow = GetTickCount64();
        if (nNow - nStart > nTimeoutMs) {
            std::printf("walkthrough: FAILED: the program did not end within %llu s; terminating it\n",
                        nTimeoutMs / 1000);
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
            return 1;
        }
        walk.TrackWindows(pi.dwProcessId, nNow);
        walk.ShootPaintedWindows(nNow);
        walk.AnswerLatestWindow(nNow);
    }

    DWORD nExitCode = 1;
    GetExitCodeProcess(process.Get(), &nExitCode);
    std::printf("walkthrough: the program ended with exit code %lu after %.2f s\n", nExitCode,
                (GetTickCount64() - nStart) / 1000.0);
    return static_cast<int>(nExitCode);
}
