#include "platform/ui/line_editor.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

#include <kiln/platform/text/mbcs.h>

#include <kiln/platform/text/user_charset.h>
#include "platform/ui/key_reader.h"
#include "platform/ui/terminal_width.h"

namespace kiln {

namespace {

// Turns the bytes typed in the user's charset into code page 932 characters, one at a time.
class TypedText {
public:
    TypedText() : cd_(iconv_open("CP932", UserCharset().c_str())) {}
    ~TypedText() {
        if (cd_ != (iconv_t)-1) iconv_close(cd_);
    }
    TypedText(const TypedText&) = delete;
    TypedText& operator=(const TypedText&) = delete;

    enum class Result { Character, Incomplete, Refused };

    // Adds a byte; once it completes a character, that character is in cp932.
    Result Add(char byte, std::string& cp932) {
        pending_ += byte;
        if (cd_ == (iconv_t)-1) {
            // Without a converter only ASCII can be taken as it is.
            cp932 = pending_;
            pending_.clear();
            return (unsigned char)byte < 0x80 ? Result::Character : Result::Refused;
        }
        char out[16];
        char* in = pending_.data();
        size_t left = pending_.size();
        char* dst = out;
        size_t room = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        size_t r = iconv(cd_, &in, &left, &dst, &room);
        if (r == (size_t)-1 && errno == EINVAL && pending_.size() < 8) return Result::Incomplete;
        pending_.clear();
        if (r == (size_t)-1) return Result::Refused;
        cp932.assign(out, (size_t)(dst - out));
        return Result::Character;
    }

private:
    iconv_t cd_;
    std::string pending_;
};

size_t NextChar(const std::string& s, size_t at) {
    return (size_t)(_mbsinc((const unsigned char*)s.c_str() + at) - (const unsigned char*)s.c_str());
}

size_t PreviousChar(const std::string& s, size_t at) {
    size_t previous = 0;
    for (size_t i = 0; i < at; i = NextChar(s, i)) previous = i;
    return previous;
}

std::string Shown(const std::string& cp932, bool password) {
    if (!password) return ToUserCharset(cp932);
    std::string stars;
    for (size_t i = 0; i < cp932.size(); i = NextChar(cp932, i)) stars += '*';
    return stars;
}

// Redraws the line and leaves the cursor after the text before it (saved and restored by the
// terminal, so wide characters need no counting). A line wider than the terminal scrolls
// sideways: first is the first byte shown, moved so that the cursor stays in view.
void Draw(const LineOptions& options, const std::string& text, size_t cursor, size_t& first, std::FILE* out) {
    size_t room = (size_t)std::max(TerminalColumns(fileno(out)) - 1 - (int)options.prompt.size(), 8);
    if (text.size() <= room || cursor < first) first = text.size() <= room ? 0 : cursor;
    while (cursor - first > room) first = NextChar(text, first);
    std::string shown = text.substr(first, FittingLength(std::string_view(text).substr(first), room));
    size_t before = cursor - first;
    std::string line = "\r" + options.prompt + Shown(shown.substr(0, before), options.password);
    line +=
        "\x1b"
        "7" +
        Shown(shown.substr(before), options.password) +
        "\x1b[K\x1b"
        "8";
    std::fputs(line.c_str(), out);
    std::fflush(out);
}

}  // namespace

bool EditLine(std::string& text, const LineOptions& options, int in, std::FILE* out) {
    std::string line = text;
    size_t cursor = line.size();
    size_t first = 0;
    TypedText typed;
    Draw(options, line, cursor, first, out);
    for (;;) {
        Key key = ReadKey(in);
        switch (key.kind) {
        case KeyKind::Tab:
            if (options.complete) {
                line = options.complete(line);
                cursor = line.size();
                break;
            }
            [[fallthrough]];
        case KeyKind::Enter:
            std::fputs("\n", out);
            text = line;
            return true;
        case KeyKind::Escape:
        case KeyKind::EndOfInput: std::fputs("\n", out); return false;
        case KeyKind::Backspace:
            if (cursor > 0) {
                size_t from = PreviousChar(line, cursor);
                line.erase(from, cursor - from);
                cursor = from;
            }
            break;
        case KeyKind::Delete:
            if (cursor < line.size()) line.erase(cursor, NextChar(line, cursor) - cursor);
            break;
        case KeyKind::Left: cursor = PreviousChar(line, cursor); break;
        case KeyKind::Right:
            if (cursor < line.size()) cursor = NextChar(line, cursor);
            break;
        case KeyKind::Home: cursor = 0; break;
        case KeyKind::End: cursor = line.size(); break;
        case KeyKind::KillLine:
            line.clear();
            cursor = 0;
            break;
        case KeyKind::Text: {
            std::string character;
            TypedText::Result r = typed.Add(key.byte, character);
            if (r == TypedText::Result::Incomplete) continue;
            bool fits = options.limit == 0 || line.size() + character.size() <= options.limit;
            bool allowed =
                !options.digitsOnly || (character.size() == 1 && character[0] >= '0' && character[0] <= '9');
            if (r == TypedText::Result::Refused || !fits || !allowed || character.empty()) {
                std::fputs("\a", out);
                std::fflush(out);
                continue;
            }
            line.insert(cursor, character);
            cursor += character.size();
            break;
        }
        case KeyKind::Other: continue;
        }
        Draw(options, line, cursor, first, out);
    }
}

}  // namespace kiln
