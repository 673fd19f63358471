// The registry calls and file copies the benchmarks count on their way through this program's
// import table.
#pragma once

#include <windows.h>

#include <cstring>

// Points every import of `function` from `dll` in this program at `replacement` and keeps what
// the slots held in `original` (calls made before go straight to the function); returns the
// number of import slots changed.
template <class Fn>
int RedirectImport(const char* dll, const char* function, Fn replacement, Fn& original)
{
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return 0;
    int changed = 0;
    for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name; ++descriptor) {
        if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
            original = reinterpret_cast<Fn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
            ++changed;
        }
    }
    return changed;
}

struct CCallCounts {
    long nOpens = 0, nCreates = 0, nQueries = 0, nSets = 0, nCloses = 0, nCopies = 0, nMoves = 0;

    CCallCounts operator-(const CCallCounts& before) const
    {
        return {nOpens - before.nOpens,   nCreates - before.nCreates, nQueries - before.nQueries,
                nSets - before.nSets,     nCloses - before.nCloses,   nCopies - before.nCopies,
                nMoves - before.nMoves};
    }
};
// Everything counted since CountCalls.
inline CCallCounts g_calls;

namespace call_counting {
inline decltype(&::RegOpenKeyExA) g_open = &::RegOpenKeyExA;
inline decltype(&::RegCreateKeyExA) g_create = &::RegCreateKeyExA;
inline decltype(&::RegQueryValueExA) g_query = &::RegQueryValueExA;
inline decltype(&::RegSetValueExA) g_set = &::RegSetValueExA;
inline decltype(&::RegCloseKey) g_close = &::RegCloseKey;
inline decltype(&::CopyFileA) g_copy = &::CopyFileA;
inline decltype(&::MoveFileExA) g_move = &::MoveFileExA;

inline LONG WINAPI Open(HKEY r, LPCSTR p, DWORD o, REGSAM a, PHKEY k)
{
    ++g_calls.nOpens;
    return g_open(r, p, o, a, k);
}
inline LONG WINAPI Create(HKEY r, LPCSTR p, DWORD x, LPSTR c, DWORD o, REGSAM a, LPSECURITY_ATTRIBUTES s, PHKEY k,
                          LPDWORD d)
{
    ++g_calls.nCreates;
    return g_create(r, p, x, c, o, a, s, k, d);
}
inline LONG WINAPI Query(HKEY k, LPCSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD s)
{
    ++g_calls.nQueries;
    return g_query(k, n, r, t, d, s);
}
inline LONG WINAPI Set(HKEY k, LPCSTR n, DWORD r, DWORD t, const BYTE* d, DWORD s)
{
    ++g_calls.nSets;
    return g_set(k, n, r, t, d, s);
}
inline LONG WINAPI Close(HKEY k)
{
    ++g_calls.nCloses;
    return g_close(k);
}
inline BOOL WINAPI Copy(LPCSTR s, LPCSTR t, BOOL f)
{
    ++g_calls.nCopies;
    return g_copy(s, t, f);
}
inline BOOL WINAPI Move(LPCSTR s, LPCSTR t, DWORD f)
{
    ++g_calls.nMoves;
    return g_move(s, t, f);
}
}  // namespace call_counting

// Starts counting; false when the program imports the registry functions it reads through
// under other names (nothing is counted then).
inline bool CountCalls()
{
    using namespace call_counting;
    const int opens = RedirectImport("advapi32.dll", "RegOpenKeyExA", &Open, g_open);
    const int queries = RedirectImport("advapi32.dll", "RegQueryValueExA", &Query, g_query);
    const int closes = RedirectImport("advapi32.dll", "RegCloseKey", &Close, g_close);
    RedirectImport("advapi32.dll", "RegCreateKeyExA", &Create, g_create);
    RedirectImport("advapi32.dll", "RegSetValueExA", &Set, g_set);
    RedirectImport("kernel32.dll", "CopyFileA", &Copy, g_copy);
    RedirectImport("kernel32.dll", "MoveFileExA", &Move, g_move);
    return opens > 0 && queries > 0 && closes > 0;
}
