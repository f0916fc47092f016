// MFC's diagnostic macros: ASSERT, VERIFY, TRACE, TRACE0..TRACE3, ASSERT_VALID, ASSERT_KINDOF,
// DYNAMIC_DOWNCAST and STATIC_DOWNCAST.
//
// MFC checks in _DEBUG builds only; a Linux debug build seldom defines _DEBUG, so the checks are on
// when _DEBUG is defined or NDEBUG is not (CMake's Debug builds), and off in release builds (NDEBUG),
// as assert() is. A failed check prints "file(line): ASSERT failed: expression" on standard error
// and aborts, so a debugger stops there and a batch job does not run on with a broken invariant.
// VERIFY evaluates its expression in every build. TRACE writes its message (Windows printf
// conventions) to standard error in checking builds and evaluates nothing otherwise.
// DYNAMIC_DOWNCAST gives null for an object that is not of the class; STATIC_DOWNCAST checks it.
#pragma once

#include <cstdio>
#include <string>

#include <kiln/platform/runtime/object.h>
#include <kiln/platform/text/printf.h>

[[noreturn]] void AfxAssertFailedLine(LPCSTR lpszFileName, int nLine, LPCSTR lpszExpression);
void AfxTraceText(LPCSTR lpszText);
CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject);

template <class... Args>
void AfxTrace(LPCSTR lpszFormat, const Args&... args) {
    AfxTraceText(kiln::FormatPrintfOf(lpszFormat, args...).c_str());
}

#if defined(_DEBUG) || !defined(NDEBUG)
#define KILN_CHECKS 1
#define ASSERT(f) ((f) ? (void)0 : AfxAssertFailedLine(__FILE__, __LINE__, #f))
#define VERIFY(f) ASSERT(f)
#define TRACE(...) AfxTrace(__VA_ARGS__)
#define ASSERT_VALID(pOb) (ASSERT((pOb) != nullptr), (pOb)->AssertValid())
#define ASSERT_KINDOF(class_name, object) ASSERT((object)->IsKindOf(RUNTIME_CLASS(class_name)))
#define STATIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxStaticDownCast(RUNTIME_CLASS(class_name), object)))
inline CObject* AfxStaticDownCast(CRuntimeClass* pClass, CObject* pObject) {
    ASSERT(pObject == nullptr || pObject->IsKindOf(pClass));
    return pObject;
}
#else
#define KILN_CHECKS 0
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#define TRACE(...) ((void)0)
#define ASSERT_VALID(pOb) ((void)0)
#define ASSERT_KINDOF(class_name, object) ((void)0)
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
#endif

#define TRACE0(sz) TRACE("%s", sz)
#define TRACE1(sz, p1) TRACE(sz, p1)
#define TRACE2(sz, p1, p2) TRACE(sz, p1, p2)
#define TRACE3(sz, p1, p2, p3) TRACE(sz, p1, p2, p3)

#define DYNAMIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object)))
