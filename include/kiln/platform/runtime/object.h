// CObject and run-time class information.
//
// Every class that uses the DECLARE_/IMPLEMENT_ macros gets one constant CRuntimeClass record with
// its name, size, schema, base class and factory. IMPLEMENT_SERIAL also enters the record in the
// process's class list, so that an archive can find the class by the name it stored
// (CRuntimeClass::FromName). A schema of 0xFFFF marks a class that cannot be stored by pointer.
#pragma once

#include <kiln/platform/runtime/types.h>

class CArchive;
class CObject;

// Diagnostic dump target; the library's Dump overrides write nothing.
class CDumpContext {
public:
    CDumpContext() = default;
};

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF: not serializable by pointer; VERSIONABLE_SCHEMA may be or'ed in
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new default-constructed object, or null when the class has no factory.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    // Looks a class up by name among the serializable classes of the process; null if unknown.
    static const CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);

    // The class reference of MFC's archive object format: schema (WORD), name length (WORD),
    // name bytes. Load returns null for an unknown name or a name of 64 bytes or more.
    void Store(CArchive& ar) const;
    static const CRuntimeClass* Load(CArchive& ar, UINT* pwSchemaNum);
};

#define VERSIONABLE_SCHEMA (0x80000000u)

// Links a serializable class into the process's class list (used by IMPLEMENT_SERIAL); the object
// itself is the list entry, so it must have static storage duration.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(const CRuntimeClass* pNewClass);
    AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
    AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;
    ~AFX_CLASSINIT();  // unlinks the class when its module goes away

    const CRuntimeClass* m_pClass;
    AFX_CLASSINIT* m_pNext;
};

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name)  \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define KILN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                    \
    const CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class class_name), \
                                                         (UINT)(wSchema), pfnNew,                    \
                                                         RUNTIME_CLASS(base_class_name)};            \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    KILN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)           \
    CObject* class_name::CreateObject() { return new class_name; } \
    KILN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                  \
    CObject* class_name::CreateObject() { return new class_name; }                              \
    KILN_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject) \
    static AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                         \
    [[maybe_unused]] CArchive& operator>>(CArchive& ar, class_name*& pOb) {                     \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));               \
        return ar;                                                                              \
    }
