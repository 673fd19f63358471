// The fixed texts of the start-up boxes.
#pragma once

inline constexpr const char* kCaptionToolError = "Access Nimbook Customization - Error";
inline constexpr const char* kCaptionToolWarning = "Access Nimbook Customization - Warning";

inline constexpr const char* kInstallUtilitiesText =
    "You must install the Corvane Nimbook Utilities before you can use this tool.\n"
    "The Corvane Nimbook Utilities installation will enable the \"Nimbook\" button.";
inline constexpr const char* kButtonReassignedText =
    "Changing the operation of the \"Nimbook\" button disables the function of Access Nimbook "
    "Assistant for users.\nAccess Nimbook Customization tool will now exit.\n";
inline constexpr const char* kInstallAssistantText =
    "You must install the Access Nimbook II before you can continue any further customization "
    "operations with this tool.";
