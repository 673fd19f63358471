#include "mainwnd/WesternLanguage.h"

bool IsWesternLanguage(LANGID language)
{
    const int sub = SUBLANGID(language);
    switch (PRIMARYLANGID(language)) {
    case LANG_DANISH:
        return sub == 1;
    case LANG_GERMAN:
        return sub >= 1 && sub <= 5;
    case LANG_ENGLISH:
        return sub >= 1 && sub <= 13;
    case LANG_SPANISH:
        return sub >= 1 && sub <= 20;
    case LANG_FRENCH:
        return sub >= 1 && sub <= 6;
    case LANG_ITALIAN:
    case LANG_DUTCH:
    case LANG_NORWEGIAN:
    case LANG_PORTUGUESE:
    case LANG_SWEDISH:
        return sub == 1 || sub == 2;
    default:
        return false;
    }
}
