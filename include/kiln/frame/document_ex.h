// CDocumentEx: a document base that finds its views by class.
#pragma once

#include <kiln/platform/ui/document.h>

class CDocumentEx : public CDocument {
    DECLARE_DYNCREATE(CDocumentEx)
public:
    ~CDocumentEx() override;

protected:
    CDocumentEx();
    // The first view (in the document's view order) of viewClass or a class derived from it; null
    // when there is none. GetView(RUNTIME_CLASS(CView)) is the first view.
    CView* GetView(CRuntimeClass* viewClass);
    DECLARE_MESSAGE_MAP()
};
