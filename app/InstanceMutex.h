// The named mutex that marks the tool as running on this machine: the first instance creates
// and owns it for as long as it lives; a later one finds it taken and lets go of it at once.
#pragma once

#include "framework/WinHandles.h"

inline constexpr const char* kInstanceMutexName = "Mutex_Access_Nimbook";

class CInstanceMutex {
public:
    CInstanceMutex();
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;
    ~CInstanceMutex();

    // False when another instance (or a deployment) holds the mutex.
    bool IsFirstInstance() const { return m_bFirst; }

private:
    CHandle m_hMutex;
    bool m_bFirst = false;
};
