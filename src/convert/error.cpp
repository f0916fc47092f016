#include <kiln/convert/error.h>

#include "platform/text/printf_args.h"

#include <cstring>

IMPLEMENT_DYNCREATE(CError, CDecode)

namespace {

char kTooManyText[] = "エラーの数が多すぎます";
const ERROR_INFO kTooMany = {0, 1, kTooManyText};

// Writes the precision over the three bytes after the message's first period and an 's' after them.
// A period with fewer than four bytes behind it is left alone, so nothing is written past the text;
// a precision of 1000 or more is taken as 999.
void SetPrecision(char* message, unsigned int precision) {
    char* period = std::strchr(message, '.');
    if (period == nullptr || std::strlen(period + 1) < 4) return;
    if (precision > 999) precision = 999;
    period[1] = (char)('0' + precision / 100);
    period[2] = (char)('0' + precision / 10 % 10);
    period[3] = (char)('0' + precision % 10);
    period[4] = 's';
}

}  // namespace

CError::CError() : m_pLine(nullptr), m_bRewind(0), m_nErrorCount(0), m_nMaxError(128), m_nThreshold(0) {}

CError::CError(CError& source)
    : CDecode(),
      m_pLine(source.m_pLine),
      m_bRewind(source.m_bRewind),
      m_nErrorCount(source.m_nErrorCount),
      m_nMaxError(source.m_nMaxError),
      m_nThreshold(source.m_nThreshold) {}

CError::~CError() = default;

int CError::NoError(const char* text) {
    if (!IsLocked()) return 1;
    if (!Decode(static_cast<const void*>("<"), 1)) return 1;
    if (text != nullptr && !Decode(static_cast<const void*>(text), (unsigned int)std::strlen(text))) return 1;
    return Decode(static_cast<const void*>(">\r\n"), 3) ? 0 : 1;
}

int CError::Error(ERROR_INFO& info, UINT_PTR arg1, unsigned int precision, UINT_PTR arg2, UINT_PTR) {
    if (!IsAttached()) return 1;
    if (info.level < m_nThreshold) return 0;
    if (m_nErrorCount >= m_nMaxError) info = kTooMany;
    CString line = SetErrorTemplate();
    if (info.message != nullptr) {
        SetPrecision(info.message, precision);
        const INT_PTR values[2] = {(INT_PTR)arg1, (INT_PTR)arg2};
        line += kiln::FormatArgs(info.message, values, 2);
    }
    line += "\r\n";
    // Appending needs the interior pointer: an unlocked list records nothing rather than write blind.
    if (!IsLocked() || !Decode(static_cast<const void*>(line.GetString()), (unsigned int)line.GetLength()))
        return 1;
    if (info.rewind == 1) m_bRewind = 1;
    // The count advances with every recorded line, so that the maximum limits the list by itself.
    ++m_nErrorCount;
    return 0;
}

int CError::Error(ERROR_INFO& info, UINT_PTR arg1, unsigned int precision) {
    return Error(info, arg1, precision, 0, 0);
}

int CError::Error(ERROR_INFO& info) { return Error(info, 0, 0, 0, 0); }

void CError::AttachLine(unsigned int* line) { m_pLine = line; }

int CError::IsRewind() { return m_bRewind; }

void CError::ClearRewind() { m_bRewind = 0; }

CString CError::SetErrorTemplate() {
    const INT_PTR length[1] = {(INT_PTR)GetPathLength()};
    CString digits = kiln::FormatArgs("%03u", length, 1);
    CString format = "%." + digits + (m_pLine ? "s (%u) " : "s (%s) ");
    const INT_PTR values[2] = {(INT_PTR)GetPathName(), m_pLine ? (INT_PTR)*m_pLine : (INT_PTR) "???"};
    return kiln::FormatArgs(format, values, 2);
}
