#include <kiln/platform/ui/data_exchange.h>

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/ui/message_box.h>

namespace {

// MFC's standard prompts; %1 and %2 stand for the bounds.
constexpr const char* kEnterInteger = "Please enter an integer.";
constexpr const char* kEnterPositiveInteger = "Please enter a positive integer.";
constexpr const char* kEnterNumber = "Please enter a number.";
constexpr const char* kIntegerRange = "Please enter an integer between %1 and %2.";
constexpr const char* kNumberRange = "Please enter a number between %1 and %2.";
constexpr const char* kMaxChars = "Please enter no more than %1 characters.";

std::string Fill(const char* prompt, const std::string& first, const std::string& second = {}) {
    std::string text = prompt;
    for (auto [mark, value] : {std::pair<const char*, const std::string*>{"%1", &first}, {"%2", &second}}) {
        size_t at = text.find(mark);
        if (at != std::string::npos) text.replace(at, 2, *value);
    }
    return text;
}

// Tells the user what is wrong, then leaves the exchange on the control that holds it.
[[noreturn]] void Refuse(CDataExchange* pDX, const std::string& prompt, UINT style) {
    AfxMessageBox(prompt.c_str(), style);
    pDX->Fail();
}

std::string ControlText(HWND control) {
    std::string text((size_t)::GetWindowTextLengthA(control) + 1, '\0');
    text.resize((size_t)::GetWindowTextA(control, text.data(), (int)text.size()));
    return text;
}

bool OnlyBlanks(const char* at) {
    while (*at == ' ' || *at == '\t') ++at;
    return *at == '\0';
}

// A whole decimal number with blanks around it; false for anything else or a value out of range.
bool ParseInteger(const std::string& text, long long low, long long high, long long* value) {
    const char* at = text.c_str();
    while (*at == ' ' || *at == '\t') ++at;
    if (low >= 0 && *at == '-') return false;
    if (!std::isdigit((unsigned char)(*at == '-' || *at == '+' ? at[1] : at[0]))) return false;
    char* end;
    errno = 0;
    long long parsed = std::strtoll(at, &end, 10);
    if (errno == ERANGE || !OnlyBlanks(end) || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ParseReal(const std::string& text, double* value) {
    const char* at = text.c_str();
    char* end;
    double parsed = std::strtod(at, &end);
    if (end == at || !OnlyBlanks(end)) return false;
    *value = parsed;
    return true;
}

template <class Integer>
void ExchangeInteger(CDataExchange* pDX, int nIDC, Integer& value, long long low, long long high,
                     const char* format, const char* prompt) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long parsed;
        if (!ParseInteger(ControlText(control), low, high, &parsed)) Refuse(pDX, prompt, MB_OK);
        value = (Integer)parsed;
    } else {
        char text[32];
        std::snprintf(text, sizeof text, format, (long long)value);
        ::SetWindowTextA(control, text);
    }
}

void ExchangeReal(CDataExchange* pDX, int nIDC, double& value, int digits) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseReal(ControlText(control), &value)) Refuse(pDX, kEnterNumber, MB_OK);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        ::SetWindowTextA(control, text);
    }
}

std::string Number(long long value) { return std::to_string(value); }

std::string Real(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", DBL_DIG, value);
    return text;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND control = ::GetDlgItem(kiln::SafeHwnd(m_pDlgWnd), nIDC);
    if (control == nullptr) AfxThrowNotSupportedException();
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC))) AfxThrowNotSupportedException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(control).c_str();
    else
        ::SetWindowTextA(control, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    ExchangeInteger(pDX, nIDC, value, INT_MIN, INT_MAX, "%lld", kEnterInteger);
}
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    ExchangeInteger(pDX, nIDC, value, 0, UINT_MAX, "%lld", kEnterPositiveInteger);
}
// long keeps the 32-bit range it has in the Windows library.
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
    ExchangeInteger(pDX, nIDC, value, INT_MIN, INT_MAX, "%lld", kEnterInteger);
}
void DDX_Text(CDataExchange* pDX, int nIDC, double& value) { ExchangeReal(pDX, nIDC, value, DBL_DIG); }
void DDX_Text(CDataExchange* pDX, int nIDC, float& value) {
    double wide = value;
    ExchangeReal(pDX, nIDC, wide, FLT_DIG);
    value = (float)wide;
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) {
    HWND list = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int index = (int)::SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (index == LB_ERR) {
            value.Empty();
            return;
        }
        int length = (int)::SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
        ::SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)value.GetBufferSetLength(length));
        value.ReleaseBuffer(length);
    } else if (::SendMessageA(list, LB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCTSTR)value) == LB_ERR) {
        ::SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND list = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageA(list, LB_GETCURSEL, 0, 0);
    else
        ::SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND button = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = (int)::SendMessageA(button, BM_GETCHECK, 0, 0);
    } else {
        if (value < 0 || value > 2) value = 0;
        ::SendMessageA(button, BM_SETCHECK, (WPARAM)value, 0);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) Refuse(pDX, Fill(kMaxChars, Number(nChars)), MB_ICONEXCLAMATION);
    } else if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl) {
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal))
        Refuse(pDX, Fill(kIntegerRange, Number(minVal), Number(maxVal)), MB_ICONEXCLAMATION);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal))
        Refuse(pDX, Fill(kIntegerRange, Number(minVal), Number(maxVal)), MB_ICONEXCLAMATION);
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal))
        Refuse(pDX, Fill(kIntegerRange, Number(minVal), Number(maxVal)), MB_ICONEXCLAMATION);
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal))
        Refuse(pDX, Fill(kNumberRange, Real(minVal), Real(maxVal)), MB_ICONEXCLAMATION);
}
