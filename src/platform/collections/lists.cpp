#include <kiln/platform/collections/ob_list.h>
#include <kiln/platform/collections/ptr_list.h>
#include <kiln/platform/collections/string_list.h>

IMPLEMENT_SERIAL(CStringList, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrList, CObject)
IMPLEMENT_SERIAL(CObList, CObject, 0)
