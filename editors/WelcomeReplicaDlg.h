// What the replicas of the assistant's two welcome dialogs (the software CD dialog and the
// Internet dialog) have in common: their look (a background picture, white texts standing on
// it, the assistant's font), the table in which they keep the texts of their registry key, and
// the way they load those texts and store the ones the administrator changed.
#pragma once

#include "config/RegistryAccess.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <array>
#include <span>
#include <string>

class CWelcomeReplicaDlg : public CDialog {
protected:
    // pszTextsKey: the key of the dialog's texts; valueNames: its values in the order they are
    // read, value i in slot i + 1. Both must outlive the dialog.
    CWelcomeReplicaDlg(UINT nIDTemplate, CWnd* pParent, const char* pszTextsKey,
                       std::span<const char* const> valueNames);

    // Erasing the background and the control colours; the dialogs' own maps come first.
    const MessageMap* GetMessageMap() const override;

    // Reads the values of the texts key into their slots, 4095 bytes offered each. Failures are
    // reported (without an owner during construction); the slots of unread values stay empty.
    void LoadValues();
    // Gives the controls the replica's font, in the order of the ids, each redrawn at once.
    void ApplyFont(std::span<const int> ids);
    // OK's first step: false when no field was changed, so that nothing is stored. Otherwise it
    // takes the fields into the members and keeps the installation's factory state first.
    bool TakeChanges();
    // Writes the slots nFirstSlot to nLastSlot under their value names, leaving a value that
    // could not be shown as it is stored unless the administrator changed it. A failure is
    // reported and stops the writing.
    void StoreValues(int nFirstSlot, int nLastSlot);

    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    HBRUSH OnCtlColor(HDC hdc, HWND hwndControl, UINT nCtlColor);
    // Any change of an edit field (of the number nField in the dialog's table of fields),
    // except while the fields are being filled.
    void OnChangeText(int nField);

    CBitmap m_bmpBackground;
    CFont m_font;  // Arial, on English systems
    // The values of the texts key in the order they are read; slot 0 is not used.
    std::array<std::string, 25> m_astrValues;
    // What each read gave, so that OK never overwrites a value it could not show.
    std::array<CRegFieldState, 25> m_valueStates;
    bool m_bModified = false;  // the administrator changed a field
    bool m_bFilling = false;   // the fields are being filled, which is no change

private:
    const char* m_pszTextsKey;
    std::span<const char* const> m_valueNames;
};
