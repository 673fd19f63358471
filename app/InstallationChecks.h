// The installation checks of the start-up. A check that cannot read a value says so in a box
// without owner.
#pragma once

#include "framework/WinHandles.h"

#include <windows.h>

#include <string>

// The three texts of the main texts that the start-up may show.
struct CStartupMessages {
    std::string m_strNoBrowser;    // NOIE4: the browser is missing
    std::string m_strNoShockwave;  // NOSHOCKWAVE
    std::string m_strError;        // ERROR
};
// Reads them; false (after a box for each failure) when one could not be read.
bool LoadStartupMessages(CStartupMessages& messages);

bool IsHotkeyUtilityInstalled();
// Opens the key of the hot-key utility's "Nimbook" button and reads its display name.
bool OpenHotkeyButton(CRegKey& key);
// True when the button's command line (read from its open key) no longer launches the
// assistant; a command line that cannot be read launches nothing.
bool IsHotkeyButtonReassigned(const CRegKey& key);
LONG QueryAssistantIniPath();
// The assistant's installation folder as its registry key names it: the folder of INI_PATH
// (INI_PATH itself when it names a folder). Empty when it cannot be found, with why in failure.
std::string FindAssistantInstallation(std::string& failure);
bool IsBrowserInstalled();
