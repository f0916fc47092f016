#include <kiln/platform/text/user_charset.h>

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <kiln/platform/text/mbcs.h>

namespace kiln {

namespace {

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes that one unconvertible character takes: a lead byte with a trail byte, or a single byte.
size_t BadCharLength(const char* p, size_t left) {
    return left >= 2 && IsLeadByte((unsigned char)p[0]) && IsTrailByte((unsigned char)p[1]) ? 2 : 1;
}

// Runs iconv over the whole input into out; false stops at the first character it cannot convert,
// leaving in/left on it.
bool Convert(iconv_t cd, char*& in, size_t& left, std::string& out) {
    char buf[512];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &in, &left, &dst, &room);
        out.append(buf, (size_t)(dst - buf));
        if (r == (size_t)-1 && errno != E2BIG) return false;
    }
    return true;
}

// Without a converter only ASCII can be shown as it is.
std::string AsciiOnly(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        out += c < 0x80 ? (char)c : '?';
        i += c < 0x80 ? 1 : BadCharLength(text.data() + i, text.size() - i);
    }
    return out;
}

}  // namespace

std::string UserCharset() {
    locale_t loc = newlocale(LC_CTYPE_MASK, "", (locale_t)0);
    if (loc == (locale_t)0) return "UTF-8";
    std::string charset = nl_langinfo_l(CODESET, loc);
    freelocale(loc);
    if (charset.empty() || charset == "ANSI_X3.4-1968" || charset == "ASCII" || charset == "US-ASCII")
        return "UTF-8";
    return charset;
}

std::string ToUserCharset(std::string_view cp932) {
    iconv_t cd = iconv_open(UserCharset().c_str(), "CP932");
    if (cd == (iconv_t)-1) return AsciiOnly(cp932);
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    char* in = const_cast<char*>(cp932.data());
    size_t left = cp932.size();
    while (!Convert(cd, in, left, out)) {
        size_t skip = BadCharLength(in, left);
        in += skip;
        left -= skip;
        // The mark goes through the converter too, so a charset with shift states stays in step.
        char mark[] = "?";
        char* markIn = mark;
        size_t markLeft = 1;
        Convert(cd, markIn, markLeft, out);
    }
    char buf[16];
    char* dst = buf;
    size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);  // back to the initial shift state
    out.append(buf, (size_t)(dst - buf));
    iconv_close(cd);
    return out;
}

bool FromUserCharset(std::string_view text, std::string& cp932) {
    iconv_t cd = iconv_open("CP932", UserCharset().c_str());
    if (cd == (iconv_t)-1) return false;
    std::string out;
    char* in = const_cast<char*>(text.data());
    size_t left = text.size();
    bool whole = Convert(cd, in, left, out);
    iconv_close(cd);
    if (whole) cp932 = std::move(out);
    return whole;
}

}  // namespace kiln
