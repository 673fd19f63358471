// The animation control's stored properties, read from the creation data that the dialog
// template gives the control: a header and fourteen typed records in a fixed order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct CFlashProperties {
    // Defaults of a control created without stored properties.
    std::string m_strMovie;
    std::string m_strSrc;
    std::string m_strWMode = "Window";
    bool m_bPlay = true;
    bool m_bLoop = true;
    std::string m_strQuality = "High";
    std::string m_strSAlign;
    bool m_bMenu = true;
    std::string m_strBase;
    std::string m_strScale = "ShowAll";
    bool m_bDeviceFont = false;
    bool m_bEmbedMovie = false;
    std::string m_strBGColor;
    std::string m_strSWRemote;
    int m_nWidthHimetric = 0;   // hundredths of a millimetre
    int m_nHeightHimetric = 0;

    bool IsTransparent() const;
    // Reads a stored stream; a stream that is not one, or ends early, leaves the defaults
    // from the first record it cannot read.
    static CFlashProperties Read(const uint8_t* data, std::size_t size);
};
