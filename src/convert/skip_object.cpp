#include <kiln/convert/skip_object.h>

BOOL CSkipObject::IsSkipEx(int) { return 1; }

BOOL CSkipAlpherbet::IsSkipEx(int c) { return IsAlpherbet(c) ? 0 : 1; }

BOOL CSkipNotAlpher::IsSkipEx(int c) { return IsAlpherbet(c) ? 1 : 0; }
