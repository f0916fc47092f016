// CObList: a list of CObject pointers (see CList). The list never deletes its objects. Serialize
// stores each object in the archive's object format, so an object listed twice is stored once.
#pragma once

#include <kiln/platform/collections/list.h>

class CObList : public CList<CObject*, CObject*> {
    DECLARE_SERIAL(CObList)
public:
    explicit CObList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
