// The assistant's artwork that the image editors replace, in its images folder: the normal and
// highlighted icon of each web link (1 to 4) and the left-side pictures (0, the default one, to
// 5). The names are spelled as the editors write them; the platform finds files without regard
// to case.
#pragma once

#include <string>
#include <vector>

inline constexpr int kWebLinkIcons = 4;
inline constexpr int kSideImages = 6;

inline std::string WebLinkIconName(int nIcon)
{
    return "icon" + std::to_string(nIcon) + ".bmp";
}

inline std::string WebLinkHighlightName(int nIcon)
{
    return "icon" + std::to_string(nIcon) + "_hi.bmp";
}

inline std::string SideImageName(int nImage)
{
    return "image" + std::to_string(nImage) + ".bmp";
}

// Every replaceable file: the icons of each link in turn, then the left-side pictures.
inline std::vector<std::string> ReplaceableArtworkNames()
{
    std::vector<std::string> names;
    for (int nIcon = 1; nIcon <= kWebLinkIcons; ++nIcon) {
        names.push_back(WebLinkIconName(nIcon));
        names.push_back(WebLinkHighlightName(nIcon));
    }
    for (int nImage = 0; nImage < kSideImages; ++nImage)
        names.push_back(SideImageName(nImage));
    return names;
}
