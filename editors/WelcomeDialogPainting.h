// The look shared by the replicas of the assistant's two welcome dialogs: a background
// picture behind the whole client area, and white texts standing on it.
#pragma once

#include "framework/Gdi.h"

#include <windows.h>

// Paints the dialog's background for WM_ERASEBKGND. A picture at least as large as the client
// area is copied once to its top-left corner; a smaller one is tiled from there in steps of
// its own width and height. Without a loaded picture the client area gets the dialog's
// default colour (the control colours below give the dialog a hollow brush, so the default
// erasing would leave it unpainted).
void PaintWelcomeBackground(HWND hwndDialog, HDC hdc, const CBitmap& picture);

// The control colours of the welcome dialogs, for one CTLCOLOR_ kind: the dialog itself,
// static controls, buttons (the check boxes) and list boxes get a transparent background,
// white text and the hollow brush, which is returned. Edit fields, message boxes and scroll
// bars keep the default colours: null is returned, and the default processing answers.
HBRUSH WelcomeControlColour(HDC hdc, UINT nCtlColor);

// The font of the welcome replicas' texts: Arial 10 points on English systems, created into
// font for the dialog's screen device context; the stock system font on all others.
HFONT WelcomeDialogFont(HWND hwndDialog, CFont& font);
