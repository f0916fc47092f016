#include <kiln/platform/ui/dialog_template.h>

#include <cstring>
#include <string_view>

#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/window.h>

#include "platform/runtime/resource_extent.h"
#include "platform/text/utf16.h"
#include "platform/ui/parsed_template.h"

namespace kiln {

namespace {

// The class ordinals of dialog templates.
struct Predefined {
    WORD atom;
    const char* name;
};
constexpr Predefined kPredefined[] = {{0x0080, "Button"},  {0x0081, "Edit"},      {0x0082, "Static"},
                                      {0x0083, "ListBox"}, {0x0084, "ScrollBar"}, {0x0085, "ComboBox"}};

// Reads little-endian fields and strings from a byte range; any read past the end sets failed.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool failed = false;

    template <class T>
    T Read() {
        T value{};
        if (m_at > m_size || m_size - m_at < sizeof(T)) {
            failed = true;
            m_at = m_size;
            return value;
        }
        std::memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }

    // A NUL-terminated UTF-16 string, as code page 932.
    std::string String() {
        std::u16string text;
        for (;;) {
            char16_t unit = Read<char16_t>();
            if (failed || unit == 0) break;
            text.push_back(unit);
        }
        return Utf16ToCp932(text);
    }

    // A name or ordinal: 0 for none, 0xFFFF then an ordinal, else a string. The ordinal is put in
    // *ordinal (0 for a string).
    std::string NameOrOrdinal(WORD* ordinal) {
        *ordinal = 0;
        if (m_at > m_size || m_size - m_at < 2) {
            failed = true;
            return {};
        }
        WORD first;
        std::memcpy(&first, m_data + m_at, 2);
        if (first == 0) {
            m_at += 2;
            return {};
        }
        if (first == 0xFFFF) {
            m_at += 2;
            *ordinal = Read<WORD>();
            return {};
        }
        return String();
    }

    void Align(size_t unit) { m_at = (m_at + unit - 1) / unit * unit; }
    void Skip(size_t count) {
        if (count > m_size - std::min(m_at, m_size)) failed = true;
        m_at = std::min(m_at + count, m_size);
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_at = 0;
};

std::string ClassName(Reader& in) {
    WORD ordinal;
    std::string name = in.NameOrOrdinal(&ordinal);
    if (ordinal == 0) return name;
    for (const Predefined& entry : kPredefined)
        if (entry.atom == ordinal) return entry.name;
    return "#" + std::to_string(ordinal);
}

class Writer {
public:
    std::vector<BYTE> bytes;

    template <class T>
    void Write(T value) {
        BYTE raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
    }
    void String(std::string_view cp932) {
        for (char16_t unit : Cp932ToUtf16(cp932)) Write<char16_t>(unit);
        Write<char16_t>(0);
    }
    void Align(size_t unit) {
        while (bytes.size() % unit != 0) bytes.push_back(0);
    }
};

}  // namespace

std::vector<BYTE> BuildDialogTemplate(const DialogDescription& dialog) {
    Writer out;
    const bool font = !dialog.faceName.empty();
    out.Write<DWORD>(font ? dialog.style | DS_SETFONT : dialog.style & ~(DWORD)DS_SETFONT);
    out.Write<DWORD>(dialog.exStyle);
    out.Write<WORD>((WORD)dialog.items.size());
    for (short value : {dialog.x, dialog.y, dialog.cx, dialog.cy}) out.Write<short>(value);
    out.Write<WORD>(0);  // no menu
    out.Write<WORD>(0);  // the dialog class
    out.String(dialog.caption);
    if (font) {
        out.Write<WORD>(dialog.pointSize);
        out.String(dialog.faceName);
    }
    for (const DialogItem& item : dialog.items) {
        out.Align(4);
        out.Write<DWORD>(item.style | WS_CHILD);
        out.Write<DWORD>(item.exStyle);
        for (short value : {item.x, item.y, item.cx, item.cy}) out.Write<short>(value);
        out.Write<WORD>(item.id);
        const Predefined* predefined = nullptr;
        for (const Predefined& entry : kPredefined)
            if (_mbsicmp(entry.name, item.className.c_str()) == 0) predefined = &entry;
        if (predefined != nullptr) {
            out.Write<WORD>(0xFFFF);
            out.Write<WORD>(predefined->atom);
        } else {
            out.String(item.className);
        }
        out.String(item.text);
        out.Write<WORD>(0);  // no creation data
    }
    return out.bytes;
}

size_t TemplateExtent(const void* data) {
    // A template given by address alone (one built in memory) carries no size: it is trusted to be
    // well formed within this bound.
    constexpr size_t kUnknownTemplateBound = 1u << 20;
    size_t extent = ResourceExtent(data);
    return extent != 0 ? extent : kUnknownTemplateBound;
}

bool ParseDialogTemplate(const void* data, size_t size, ParsedTemplate* out) {
    if (data == nullptr || out == nullptr) return false;
    Reader in((const BYTE*)data, size);
    *out = ParsedTemplate{};
    const bool extended = size >= 4 && ((const WORD*)data)[0] == 1 && ((const WORD*)data)[1] == 0xFFFF;
    WORD count;
    if (extended) {
        in.Skip(8);  // version, signature, help id
        out->exStyle = in.Read<DWORD>();
        out->style = in.Read<DWORD>();
    } else {
        out->style = in.Read<DWORD>();
        out->exStyle = in.Read<DWORD>();
    }
    count = in.Read<WORD>();
    out->x = in.Read<short>();
    out->y = in.Read<short>();
    out->cx = in.Read<short>();
    out->cy = in.Read<short>();
    WORD ordinal;
    in.NameOrOrdinal(&ordinal);  // the menu: dialogs here have none
    out->className = ClassName(in);
    out->caption = in.String();
    if (out->style & DS_SETFONT) {
        out->pointSize = in.Read<WORD>();
        if (extended) in.Skip(4);  // weight, italic, charset
        out->faceName = in.String();
    }
    for (WORD i = 0; i < count && !in.failed; ++i) {
        ParsedItem item;
        in.Align(4);
        if (extended) {
            in.Skip(4);  // help id
            item.exStyle = in.Read<DWORD>();
            item.style = in.Read<DWORD>();
        } else {
            item.style = in.Read<DWORD>();
            item.exStyle = in.Read<DWORD>();
        }
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = extended ? in.Read<DWORD>() : in.Read<WORD>();
        item.className = ClassName(in);
        item.text = in.NameOrOrdinal(&ordinal);
        in.Skip(in.Read<WORD>());  // creation data
        out->items.push_back(std::move(item));
    }
    return !in.failed;
}

}  // namespace kiln
