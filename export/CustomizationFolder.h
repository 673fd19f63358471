// What a customization folder may hold, checked before anything of it is used: HLXCM.REG,
// the assistant's artwork under its own names, apply.log and a Backup subfolder (both left
// alone), and nothing else.
#pragma once

#include "export/CustomizationFile.h"

#include <array>
#include <string>
#include <vector>

// The artwork that the image editors replace, as they spell it.
inline constexpr std::array<const char*, 14> kArtworkNames = {
    "icon1.bmp", "icon1_hi.bmp", "icon2.bmp", "icon2_hi.bmp", "icon3.bmp", "icon3_hi.bmp", "icon4.bmp",
    "icon4_hi.bmp", "image0.bmp", "image1.bmp", "image2.bmp", "image3.bmp", "image4.bmp", "image5.bmp"};
inline constexpr const char* kCustomizationRegFile = "HLXCM.REG";

// The artwork files of the folder, as the folder spells them, in the order of their lower-case
// names; or the reason the folder is refused: an unknown file or subfolder, two names that
// differ only in case, or a folder that cannot be listed (with the system's reason).
std::string ListCustomizationImages(const std::string& folder, std::vector<std::string>& images);

// Reads the folder's HLXCM.REG a piece at a time, never more than the reader's size cap: its
// values, or the reason it is refused (the line at fault named).
std::string ReadCustomizationRegFile(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values);

std::string LowerCase(std::string text);
// The system's text for an error code, on one line.
std::string SystemReason(unsigned long code);
