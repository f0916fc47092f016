// A ported client that asked for CP932 literals, as its Windows build had them.
#include <kiln/kiln.h>

int main() {
    const char* japanese = "表";
    return CString(japanese).GetLength() == 2 && (unsigned char)japanese[0] == 0x95 ? 0 : 1;
}
