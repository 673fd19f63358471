// Which system languages the replicas draw with the assistant's Western fonts.
#pragma once

#include <windows.h>

// True for Danish (sublanguage 1), German (1 to 5), English (1 to 13), Spanish (1 to 20),
// French (1 to 6), and Italian, Dutch, Norwegian, Portuguese and Swedish (1 or 2): 55 ids
// from 0x0406 to 0x500A. Every other id, the neutral 0x0000 among them, is not Western.
bool IsWesternLanguage(LANGID language);
