// Uses the installed library the way a client does; exits 0 when everything it checks holds.
#include <kiln/kiln.h>

#include <chrono>
#include <cstring>

int main() {
    // Linking kiln::kiln leaves the client's literals alone: this one stays UTF-8.
    if (std::strlen("表") != 3) return 1;
    if (str2FileName("C:\\dir\\file.txt") != CString("file.txt")) return 2;
    int shown = 0;
    kiln::SetMessageBoxHandler([&](const kiln::MessageBoxCall&) { return ++shown, IDOK; });
    CAlloc twice(4);
    if (twice.Alloc(4) != nullptr || shown != 1) return 3;
    return std::chrono::seconds(1).count() == 1 ? 0 : 4;
}
