// CShockwaveFlash: the animation control of the main window (control 1102), a child window
// of the window class named after the Shockwave Flash control's class id. The control is our
// own SWF player (FlashPlayerWindow.h); this wrapper passes it the movie and the Play call.
#pragma once

#include "framework/Wnd.h"
#include "flash/FlashPlayerWindow.h"

#include <string>

// The window class name under which dialog templates create the animation control.
inline constexpr const char* kShockwaveFlashClassName = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

// Registers the animation control's window class for this module; later calls do nothing.
// Must run before a dialog whose template holds the control is created.
bool RegisterShockwaveFlashClass();

class CShockwaveFlash : public CWnd {
public:
    CShockwaveFlash() = default;

    // Loads the movie that the control plays (its Movie property).
    void SetMovie(const std::string& path);
    const std::string& GetMovie() const { return m_strMovie; }
    // Starts the movie.
    void Play();
    // What the control shows and does now.
    CFlashState GetState() const;

private:
    std::string m_strMovie;
};
