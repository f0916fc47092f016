// Must not compile: a std::string handed to Format would print garbage on Windows; here it is a
// compile-time error. Built with KILN_CONTROL, the same call with c_str() compiles.
#include <kiln/kiln.h>

#include <string>

int main() {
    CString s;
    std::string name = "x";
#ifdef KILN_CONTROL
    s.Format("%s", name.c_str());
#else
    s.Format("%s", name);
#endif
    return s.GetLength();
}
