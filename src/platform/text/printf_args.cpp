#include "platform/text/printf_args.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace kiln {

namespace {

class ArgReader {
public:
    ArgReader(const INT_PTR* args, int count) : m_args(args), m_count(count) {}
    INT_PTR Next() { return m_next < m_count ? m_args[m_next++] : 0; }

private:
    const INT_PTR* m_args;
    int m_count;
    int m_next = 0;
};

template <class T>
void Append(std::string& out, const std::string& directive, T value) {
    char small[128];
    int n = std::snprintf(small, sizeof small, directive.c_str(), value);
    if (n < 0) return;
    if ((size_t)n < sizeof small) {
        out.append(small, (size_t)n);
        return;
    }
    size_t at = out.size();
    out.resize(at + (size_t)n + 1);
    std::snprintf(&out[at], (size_t)n + 1, directive.c_str(), value);
    out.resize(at + (size_t)n);
}

}  // namespace

CString FormatArgs(const char* format, const INT_PTR* args, int count) {
    std::string out;
    ArgReader values(args, count);
    const char* p = format ? format : "";
    while (*p) {
        if (*p != '%') {
            const char* run = std::strchr(p, '%');
            size_t n = run ? (size_t)(run - p) : std::strlen(p);
            out.append(p, n);
            p += n;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        // Flags, width and precision are kept (a '*' replaced by its value); the length modifier
        // only decides how wide the value is.
        std::string directive = "%";
        ++p;
        while (*p && std::strchr("-+ #0'", *p)) directive += *p++;
        if (*p == '*') {
            directive += std::to_string((int)values.Next());
            ++p;
        }
        while (*p >= '0' && *p <= '9') directive += *p++;
        if (*p == '.') {
            directive += *p++;
            if (*p == '*') {
                directive += std::to_string((int)values.Next());
                ++p;
            }
            while (*p >= '0' && *p <= '9') directive += *p++;
        }
        bool wide = false;
        std::string narrow;  // h and hh are passed on: vsnprintf narrows an int itself
        for (;;) {
            if (*p == 'h') {
                narrow += *p++;
            } else if (*p == 'l' && p[1] == 'l') {
                wide = true;
                p += 2;
            } else if (*p == 'l' || *p == 'L' || *p == 'w') {
                ++p;
            } else if (*p == 'j' || *p == 'z' || *p == 't' || *p == 'q') {
                wide = true;
                ++p;
            } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
                wide = true;
                p += 3;
            } else if (*p == 'I' && p[1] == '3' && p[2] == '2') {
                p += 3;
            } else if (*p == 'I') {
                wide = sizeof(INT_PTR) == 8;
                ++p;
            } else {
                break;
            }
        }
        char conv = *p;
        if (conv == '\0') {
            out += directive;
            break;
        }
        ++p;
        switch (conv) {
            case 'd':
            case 'i':
                if (wide)
                    Append(out, directive + "ll" + conv, (long long)values.Next());
                else
                    Append(out, directive + narrow + conv, (int)values.Next());
                break;
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                if (wide)
                    Append(out, directive + "ll" + conv, (unsigned long long)values.Next());
                else
                    Append(out, directive + narrow + conv, (unsigned)values.Next());
                break;
            case 'c':
            case 'C':
                Append(out, directive + 'c', (int)(unsigned char)values.Next());
                break;
            case 's':
            case 'S': {
                const char* text = reinterpret_cast<const char*>(values.Next());
                Append(out, directive + 's', text ? text : "(null)");
                break;
            }
            case 'p':
                Append(out, directive + 'p', reinterpret_cast<void*>(values.Next()));
                break;
            case 'e':
            case 'E':
            case 'f':
            case 'F':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                Append(out, directive + conv, (double)values.Next());
                break;
            case 'n':
                values.Next();
                break;
            default:
                // Not a conversion: shown as written.
                out += directive;
                out += conv;
                break;
        }
    }
    return CString(out.data(), (int)out.size());
}

}  // namespace kiln
