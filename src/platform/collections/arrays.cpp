#include <kiln/platform/collections/integer_arrays.h>
#include <kiln/platform/collections/ob_array.h>
#include <kiln/platform/collections/ptr_array.h>
#include <kiln/platform/collections/string_array.h>

IMPLEMENT_SERIAL(CStringArray, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrArray, CObject)
IMPLEMENT_SERIAL(CObArray, CObject, 0)
IMPLEMENT_SERIAL(CByteArray, CObject, 0)
IMPLEMENT_SERIAL(CWordArray, CObject, 0)
IMPLEMENT_SERIAL(CDWordArray, CObject, 0)
IMPLEMENT_DYNAMIC(CUIntArray, CObject)
