#include <kiln/platform/runtime/object.h>

#include <cstring>

namespace {

// The serializable classes of the process, newest first. Filled by static initialisers, which run
// on one thread before main or while a module is loaded.
AFX_CLASSINIT* g_classList = nullptr;

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }
void CObject::Serialize(CArchive&) {}
void CObject::AssertValid() const {}
void CObject::Dump(CDumpContext&) const {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
        if (c == pBaseClass) return TRUE;
    return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
    if (lpszClassName == nullptr) return nullptr;
    for (const AFX_CLASSINIT* e = g_classList; e != nullptr; e = e->m_pNext)
        if (std::strcmp(e->m_pClass->m_lpszClassName, lpszClassName) == 0) return e->m_pClass;
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName) {
    const CRuntimeClass* cls = FromName(lpszClassName);
    return cls ? cls->CreateObject() : nullptr;
}

AFX_CLASSINIT::AFX_CLASSINIT(const CRuntimeClass* pNewClass) : m_pClass(pNewClass), m_pNext(g_classList) {
    g_classList = this;
}

AFX_CLASSINIT::~AFX_CLASSINIT() {
    for (AFX_CLASSINIT** link = &g_classList; *link != nullptr; link = &(*link)->m_pNext) {
        if (*link == this) {
            *link = m_pNext;
            return;
        }
    }
}
