// CStringList: a list of CStrings (see CList). Serialize writes the count and each string with its
// length prefix, as MFC does, so stored lists interchange with Windows programs.
#pragma once

#include <kiln/platform/collections/list.h>

class CStringList : public CList<CString, const CString&> {
    DECLARE_SERIAL(CStringList)
public:
    explicit CStringList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
