// CPtrList: a list of untyped pointers (see CList). The list never owns what its elements point to.
#pragma once

#include <kiln/platform/collections/list.h>

class CPtrList : public CList<void*, void*> {
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
