#include <kiln/platform/runtime/debug.h>

#include <cstdlib>

void AfxAssertFailedLine(LPCSTR lpszFileName, int nLine, LPCSTR lpszExpression) {
    std::fprintf(stderr, "%s(%d): ASSERT failed: %s\n", lpszFileName, nLine, lpszExpression);
    std::fflush(stderr);
    std::abort();
}

void AfxTraceText(LPCSTR lpszText) {
    std::fputs(lpszText, stderr);
    std::fflush(stderr);
}

CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject) {
    return pObject != nullptr && pObject->IsKindOf(pClass) ? pObject : nullptr;
}
