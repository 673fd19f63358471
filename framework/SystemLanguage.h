// The system's default language, which decides the fonts of the replicas. Tests set another
// language through the override; production asks the platform.
#pragma once

#include <windows.h>

// GetSystemDefaultLangID, unless an override is set.
LANGID SystemDefaultLanguage();

// Sets the language that SystemDefaultLanguage returns; 0 removes the override. Returns the
// override that was set before.
LANGID SetSystemLanguageOverride(LANGID language);
