#include <kiln/core/heap_interface.h>

CAllocInterface::CAllocInterface(CAllocInterface& source) : m_alloc(source.m_alloc) {}

CAllocInterface::~CAllocInterface() = default;

BOOL CAllocInterface::Alloc(int size) { return m_alloc.Alloc((unsigned int)size) != nullptr ? 1 : 0; }

BOOL CAllocInterface::ReAlloc(int size) { return m_alloc.ReAlloc((unsigned int)size) != nullptr ? 1 : 0; }

void CAllocInterface::Free() { m_alloc.Free(); }

unsigned char* CAllocInterface::Lock() { return static_cast<unsigned char*>(m_alloc.Lock()); }

void CAllocInterface::Unlock() { m_alloc.Unlock(); }

BOOL CAllocInterface::FromCAlloc(const CAlloc& source) {
    return m_alloc.Attach(source.GetLength(), source.GetID()) != nullptr ? 1 : 0;
}
