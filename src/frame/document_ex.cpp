#include <kiln/frame/document_ex.h>

#include <kiln/platform/ui/view.h>

IMPLEMENT_DYNCREATE(CDocumentEx, CDocument)

BEGIN_MESSAGE_MAP(CDocumentEx, CDocument)
END_MESSAGE_MAP()

CDocumentEx::CDocumentEx() = default;

CDocumentEx::~CDocumentEx() = default;

CView* CDocumentEx::GetView(CRuntimeClass* viewClass) {
    for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
        CView* view = GetNextView(pos);
        if (view != nullptr && view->IsKindOf(viewClass)) return view;
    }
    return nullptr;
}
