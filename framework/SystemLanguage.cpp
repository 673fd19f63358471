#include "framework/SystemLanguage.h"

namespace {
LANGID g_languageOverride = 0;
}

LANGID SystemDefaultLanguage()
{
    return g_languageOverride ? g_languageOverride : ::GetSystemDefaultLangID();
}

LANGID SetSystemLanguageOverride(LANGID language)
{
    LANGID previous = g_languageOverride;
    g_languageOverride = language;
    return previous;
}
