#include <kiln/diag/progress_dialog.h>

#include <climits>
#include <cstdint>
#include <cstring>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/data_exchange.h>

namespace {

constexpr UINT kProgressTemplate = 3003;
constexpr UINT kWaitTemplate = 3004;
constexpr UINT kDefaultCaption = 3007;
constexpr int kBar = 3004;
constexpr int kPercent = 3005;
constexpr int kStatus = 3006;
constexpr int kNoPercent = INT_MIN;  // no percentage shown yet: the label holds the template's text

// The percentage for pos: wrapping 32-bit arithmetic as the original's, with no division by zero
// and no overflow trap (INT_MIN / -1 wraps to INT_MIN).
int Percent(int pos, int lower, int upper) {
    if (upper == lower) return pos >= lower ? 100 : 0;
    const uint32_t numerator = (static_cast<uint32_t>(pos) - static_cast<uint32_t>(lower)) * 100u;
    const auto denominator =
        static_cast<int32_t>(static_cast<uint32_t>(upper) - static_cast<uint32_t>(lower));
    const auto percent = denominator == -1 ? static_cast<int32_t>(0u - numerator)
                                           : static_cast<int32_t>(numerator) / denominator;
    return percent == 100 ? percent : percent % 100;
}

// Whether pos shows percent, found with the percentage's multiplications but not its division, where
// nothing wraps (a span of at most INT_MAX / 100, pos within the range); false elsewhere, and the
// caller works the percentage out in full. A job steps its bar once per item, and a division costs
// more than the rest of the step.
bool ShowsPercent(int pos, int lower, int upper, int percent) {
    const int64_t span = static_cast<int64_t>(upper) - lower;
    const int64_t done = (static_cast<int64_t>(pos) - lower) * 100;
    if (span <= 0 || span > INT_MAX / 100 || percent < 0 || done > span * 100) return false;
    return percent * span <= done && done < (percent + 1) * span;
}

// "%d%%" without the cost of a formatter: the bar may move once per item of a long job.
size_t FormatPercent(int percent, char* out) {
    char digits[12];
    size_t n = 0;
    auto magnitude = static_cast<uint32_t>(percent);
    if (percent < 0) magnitude = 0u - magnitude;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t length = 0;
    if (percent < 0) out[length++] = '-';
    while (n > 0) out[length++] = digits[--n];
    out[length++] = '%';
    out[length] = '\0';
    return length;
}

// Writes percent into the dialog's label, only if it differs from the label's text so that the label
// does not flicker; false when the dialog has no label. Kept apart from UpdatePercent, whose common
// case then needs no stack frame.
[[gnu::noinline]] bool WritePercent(HWND dialog, int percent) {
    HWND label = ::GetDlgItem(dialog, kPercent);
    if (label == nullptr) return false;
    char text[16];
    size_t length = FormatPercent(percent, text);
    char shown[16];
    if (::GetWindowTextA(label, shown, sizeof shown) != static_cast<int>(length) ||
        std::memcmp(shown, text, length) != 0)
        ::SetWindowTextA(label, text);
    return true;
}

}  // namespace

namespace kiln {

ProgressDialogBase::ProgressDialogBase(UINT nIDTemplate, UINT nCaptionID)
    : m_nCaptionID(nCaptionID != 0 ? nCaptionID : kDefaultCaption), m_nTemplate(nIDTemplate) {}

ProgressDialogBase::~ProgressDialogBase() {
    if (m_hWnd != nullptr) DestroyWindow();
}

BOOL ProgressDialogBase::Create(CWnd* pParent) {
    m_pParentWnd = CWnd::GetSafeOwner(pParent);
    m_hWndOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (m_hWndOwner != nullptr && ::IsWindowEnabled(m_hWndOwner)) {
        ::EnableWindow(m_hWndOwner, FALSE);
        m_bParentDisabled = TRUE;
    }
    m_bCreated = TRUE;
    if (CDialog::Create(m_nTemplate, pParent)) return TRUE;
    ReEnableParent();
    return FALSE;
}

BOOL ProgressDialogBase::DestroyWindow() {
    ReEnableParent();
    return CDialog::DestroyWindow();
}

void ProgressDialogBase::ReEnableParent() {
    if (m_bParentDisabled && m_hWndOwner != nullptr) ::EnableWindow(m_hWndOwner, TRUE);
    m_bParentDisabled = FALSE;
}

void ProgressDialogBase::SetRange(int nLower, int nUpper) {
    m_nLower = nLower;
    m_nUpper = nUpper;
    if (m_Progress.m_hWnd != nullptr)
        m_Progress.SetRange(static_cast<short>(nLower), static_cast<short>(nUpper));
}

int ProgressDialogBase::SetStep(int nStep) {
    int previous = m_nStep;
    m_nStep = nStep;
    if (m_Progress.m_hWnd != nullptr) m_Progress.SetStep(nStep);
    return previous;
}

int ProgressDialogBase::GetPos() { return m_Progress.m_hWnd != nullptr ? m_Progress.GetPos() : 0; }

int ProgressDialogBase::SetPos(int nPos) {
    PumpMessages();
    int previous = m_Progress.m_hWnd != nullptr ? m_Progress.SetPos(nPos) : 0;
    UpdatePercent(nPos);
    return previous;
}

int ProgressDialogBase::OffsetPos(int nPos) {
    PumpMessages();
    int previous = m_Progress.m_hWnd != nullptr ? m_Progress.OffsetPos(nPos) : 0;
    UpdatePercent(previous + nPos);
    return previous;
}

int ProgressDialogBase::StepIt() {
    PumpMessages();
    int previous = m_Progress.m_hWnd != nullptr ? m_Progress.StepIt() : 0;
    UpdatePercent(previous + m_nStep);
    return previous;
}

void ProgressDialogBase::SetStatus(LPCTSTR lpszText) {
    if (m_hWnd != nullptr) ::SetDlgItemTextA(m_hWnd, kStatus, lpszText);
}

void ProgressDialogBase::UpdatePercent(int nPos) {
    // A job steps its bar once per item, and most steps leave the percentage as it was: the label
    // is only looked at when the percentage differs from the one this dialog last showed.
    if (m_hWnd == nullptr || ShowsPercent(nPos, m_nLower, m_nUpper, m_nShownPercent)) return;
    int percent = Percent(nPos, m_nLower, m_nUpper);
    if (percent != m_nShownPercent && WritePercent(m_hWnd, percent)) m_nShownPercent = percent;
}

void ProgressDialogBase::PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (m_hWnd == nullptr || !::IsDialogMessageA(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

BOOL ProgressDialogBase::CheckCancelButton() {
    PumpMessages();
    BOOL pressed = m_bCancel;
    m_bCancel = FALSE;
    return pressed;
}

void ProgressDialogBase::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kBar, m_Progress);
}

BOOL ProgressDialogBase::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nShownPercent = kNoPercent;
    m_Progress.SetRange(static_cast<short>(m_nLower), static_cast<short>(m_nUpper));
    m_Progress.SetStep(m_nStep);
    m_Progress.SetPos(m_nLower);
    SetWindowText(Caption());
    return TRUE;
}

void ProgressDialogBase::OnCancel() { m_bCancel = TRUE; }

CString ProgressDialogBase::Caption() const {
    const char* text = FindStringResource(m_nCaptionID);
    return CString(text != nullptr ? text : "");
}

}  // namespace kiln

CProgressDlg::CProgressDlg(UINT nCaptionID) : ProgressDialogBase(kProgressTemplate, nCaptionID) {}
CProgressDlg::~CProgressDlg() = default;
void CProgressDlg::OnOK() {}
CString CProgressDlg::Caption() const {
    return m_strCaption.IsEmpty() ? ProgressDialogBase::Caption() : m_strCaption;
}

CWaitDlg::CWaitDlg(UINT nCaptionID) : ProgressDialogBase(kWaitTemplate, nCaptionID) {}
CWaitDlg::~CWaitDlg() = default;
void CWaitDlg::OnOK() { m_bOK = TRUE; }

BOOL CWaitDlg::CheckOKButton() {
    PumpMessages();
    BOOL pressed = m_bOK;
    m_bOK = FALSE;
    return pressed;
}
