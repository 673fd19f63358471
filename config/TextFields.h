// The nine fields of the assistant's main window whose text and target the administrator
// edits, numbered as the tool numbers them: 1 to 4 the web links, 5 to 9 the category labels.
#pragma once

#include "config/RegistrySchema.h"

inline constexpr int kFirstCategoryField = 5;
inline constexpr int kLastTextField = 9;

constexpr bool IsTextField(int nField)
{
    return nField >= 1 && nField <= kLastTextField;
}

constexpr bool IsCategoryField(int nField)
{
    return nField >= kFirstCategoryField;
}

// The field's text: its value of the main texts.
constexpr const char* TextValueOfField(int nField)
{
    return IsCategoryField(nField) ? RegValues::Buttons[nField - kFirstCategoryField] : RegValues::Urls[nField - 1];
}

// The key of the field's target (its information source and launchable item).
constexpr const char* TargetKeyOfField(int nField)
{
    return IsCategoryField(nField) ? RegKeys::Categories[nField - kFirstCategoryField] : RegKeys::WebLinks[nField - 1];
}
