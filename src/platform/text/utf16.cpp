#include "platform/text/utf16.h"

#include <algorithm>
#include <cerrno>

#include <iconv.h>

namespace kiln {

namespace {

// One descriptor per direction and thread, opened on first use: dialogs convert every text of a
// template, and opening a descriptor costs more than converting a caption.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != (iconv_t)-1) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in; unconvertible input becomes the replacement, in the output's unit size.
    std::string Run(const char* in, size_t left, std::string_view replacement, size_t inUnit) {
        std::string out;
        if (m_cd == (iconv_t)-1) return out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[256];
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            size_t r = iconv(m_cd, const_cast<char**>(&in), &left, &dst, &room);
            out.append(buffer, (size_t)(dst - buffer));
            if (r == (size_t)-1 && errno != E2BIG) {
                out.append(replacement);
                size_t skip = std::min(left, inUnit);
                in += skip;
                left -= skip;
            }
        }
        return out;
    }

private:
    iconv_t m_cd;
};

}  // namespace

std::u16string Cp932ToUtf16(std::string_view cp932) {
    thread_local Converter converter("UTF-16LE", "CP932");
    std::string bytes = converter.Run(cp932.data(), cp932.size(), std::string_view("?\0", 2), 1);
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = (char16_t)((unsigned char)bytes[2 * i] | ((unsigned char)bytes[2 * i + 1] << 8));
    return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
    thread_local Converter converter("CP932", "UTF-16LE");
    std::string bytes(utf16.size() * 2, '\0');
    for (size_t i = 0; i < utf16.size(); ++i) {
        bytes[2 * i] = (char)(utf16[i] & 0xFF);
        bytes[2 * i + 1] = (char)(utf16[i] >> 8);
    }
    return converter.Run(bytes.data(), bytes.size(), "?", 2);
}

}  // namespace kiln
