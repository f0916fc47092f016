// Uses the installed library the way a client does; exits 0 when everything it checks holds.
#include <kiln/kiln.h>

#include <cstring>

int main() {
    // The package makes literals CP932, as the library's own texts are.
    const char* japanese = "表";
    if (std::strlen(japanese) != 2 || (unsigned char)japanese[0] != 0x95) return 1;
    if (str2FileName("C:\\dir\\file.txt") != CString("file.txt")) return 2;
    int shown = 0;
    kiln::SetMessageBoxHandler([&](const kiln::MessageBoxCall&) { return ++shown, IDOK; });
    CAlloc twice(4);
    if (twice.Alloc(4) != nullptr || shown != 1) return 3;
    return 0;
}
