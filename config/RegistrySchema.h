// Registry keys and value names of the assistant, its hot-key utility and the browser.
// Value names are compared by the registry without regard to case.
// Plain constants: the portable export layout (formats/ExportLayout.*) uses them too. The
// names are spelled as the assistant's own registry and the export file spell them.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <array>

namespace RegKeys {
// Below HKEY_LOCAL_MACHINE unless noted.
inline constexpr const char* Assistant = "Software\\Corvane\\Access Nimbook II";
inline constexpr const char* MainTexts = "Software\\Corvane\\Access Nimbook II\\Text\\MainDlg";
inline constexpr const char* CdDialogTexts = "Software\\Corvane\\Access Nimbook II\\Text\\CDDlg";
inline constexpr const char* InternetDialogTexts = "Software\\Corvane\\Access Nimbook II\\Text\\InternetDlg";
inline constexpr const char* Control = "Software\\Corvane\\Access Nimbook II\\Control";
inline constexpr const char* Search = "Software\\Corvane\\Access Nimbook II\\Control\\Search";
inline constexpr std::array<const char*, 5> Categories = {
    "Software\\Corvane\\Access Nimbook II\\Control\\HLXBUT01",
    "Software\\Corvane\\Access Nimbook II\\Control\\HLXBUT02",
    "Software\\Corvane\\Access Nimbook II\\Control\\HLXBUT03",
    "Software\\Corvane\\Access Nimbook II\\Control\\HLXBUT04",
    "Software\\Corvane\\Access Nimbook II\\Control\\HLXBUT05"};
inline constexpr std::array<const char*, 4> WebLinks = {
    "Software\\Corvane\\Access Nimbook II\\Control\\URL1",
    "Software\\Corvane\\Access Nimbook II\\Control\\URL2",
    "Software\\Corvane\\Access Nimbook II\\Control\\URL3",
    "Software\\Corvane\\Access Nimbook II\\Control\\URL4"};
// Below HKEY_CURRENT_USER.
inline constexpr const char* UserAssistant = "Software\\Corvane\\Access Nimbook II";
inline constexpr const char* UserMainTexts = "Software\\Corvane\\Access Nimbook II\\Text\\MainDlg";
// The hot-key utility's "Nimbook" button.
inline constexpr const char* HotkeyButton = "Software\\Corvane\\NBHOTKEY\\8001";
inline constexpr const char* Browser = "Software\\Microsoft\\Internet Explorer";
}  // namespace RegKeys

namespace RegValues {
// Assistant key.
inline constexpr const char* IniPath = "INI_PATH";
inline constexpr const char* ShowCdDialog = "Show CD Dialog";
inline constexpr const char* ShowInetDialog = "Show INET Dialog";
// Main texts.
inline constexpr std::array<const char*, 5> Buttons = {"Button1", "Button2", "Button3", "Button4", "Button5"};
inline constexpr std::array<const char*, 4> Urls = {"URL1", "URL2", "URL3", "URL4"};
inline constexpr const char* Search = "SEARCH";
inline constexpr const char* GoText = "GO_TEXT";
inline constexpr const char* InitError = "INIT_ERROR";
inline constexpr const char* SearchTip = "SEARCH_TIP";
inline constexpr const char* CloseTip = "CLOSE_TIP";
inline constexpr const char* MinimizeTip = "MINIMIZE_TIP";
inline constexpr const char* Title = "TITLE";
inline constexpr const char* NoIe4 = "NOIE4";
inline constexpr const char* NoShockwave = "NOSHOCKWAVE";
inline constexpr const char* Error = "ERROR";
// CD and Internet dialog texts.
inline constexpr std::array<const char*, 5> Texts = {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5"};
inline constexpr const char* Okay = "OKAY";
inline constexpr const char* NoShow = "NO_SHOW";
inline constexpr const char* NoIe4Text = "NO_IE4";
inline constexpr const char* Copyright = "COPYRIGHT";
inline constexpr const char* ShowMe = "SHOW_ME";
inline constexpr const char* TryAgain = "TRY_AGAIN";
inline constexpr const char* Cancel = "CANCEL";
inline constexpr const char* Welcome = "WELCOME";
// Control settings.
inline constexpr const char* HelpFile = "HELP_FILE";
inline constexpr const char* TopLevelIndent = "TopLevelIndent";
inline constexpr const char* SubLevelIndent = "SubLevelIndent";
inline constexpr const char* UseAnimations = "UseAnimations";
// Search settings.
inline constexpr const char* SearchChm = "SearchChm";
inline constexpr const char* SearchHtml = "SearchHtml";
// Category and web-link keys (InformationSource also in the search settings).
inline constexpr const char* InformationSource = "InformationSource";
inline constexpr const char* LaunchableItem = "LaunchableItem";
inline constexpr std::array<const char*, 9> Topics = {"Topic1", "Topic2", "Topic3", "Topic4", "Topic5",
                                                     "Topic6", "Topic7", "Topic8", "Topic9"};
inline constexpr const char* MaxSubTopicNum = "MaxSubTopicNum";
// Hot-key button.
inline constexpr const char* DispName = "DispName";
inline constexpr const char* File = "File";
// Browser.
inline constexpr const char* Version = "Version";
}  // namespace RegValues
