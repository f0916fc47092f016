#include <kiln/util/string_table.h>

int str2number(int count, CString* value, CString* const table) {
    if (value == nullptr) return -1;
    for (int i = 0; i < count; ++i) {
        if (table[i].Compare(*value) == 0) return i;
    }
    return -1;
}

CString number2str(int count, int i, CString* const table) {
    return i >= 0 && i < count ? table[i] : CString();
}
