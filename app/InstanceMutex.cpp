#include "app/InstanceMutex.h"

CInstanceMutex::CInstanceMutex() : m_hMutex(::CreateMutexA(nullptr, TRUE, kInstanceMutexName))
{
    m_bFirst = ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!m_bFirst)
        m_hMutex.Close();
}

CInstanceMutex::~CInstanceMutex()
{
    if (m_hMutex)
        ::ReleaseMutex(m_hMutex.Get());
}
