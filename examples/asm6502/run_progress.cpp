#include "run_progress.h"

#include <kiln/platform/runtime/resources.h>

namespace {

constexpr double kQuietSeconds = 0.5;
constexpr int kSteps = 1000;  // the bar's range: 16-bit, fine enough for a pass of any length

// The caption of the dialog (the progress dialog's string 3007, which the program supplies).
const kiln::StringResource kCaption[] = {{3007, "kiln-asm6502"}};

double SecondsSince(const timespec& start) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<double>(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) / 1e9;
}

}  // namespace

CRunProgress::CRunProgress() { clock_gettime(CLOCK_MONOTONIC_COARSE, &m_start); }

CRunProgress::~CRunProgress() { Close(); }

bool CRunProgress::Advance(int pass, unsigned int done, unsigned int total) {
    if (!m_dialog) {
        if (SecondsSince(m_start) < kQuietSeconds) return true;
        kiln::AddStringTable(kCaption, 1);
        m_dialog = std::make_unique<CProgressDlg>();
        if (!m_dialog->Create()) {
            m_dialog.reset();
            return true;
        }
        m_dialog->SetRange(0, kSteps);
    }
    if (pass != m_nPass) {
        m_nPass = pass;
        m_dialog->SetStatus(pass == 1 ? "パス 1/2: ラベルを集めています"
                                      : "パス 2/2: コードを出力しています");
    }
    m_dialog->SetPos(total != 0 ? static_cast<int>(static_cast<unsigned long long>(done) * kSteps / total)
                                : 0);
    return !m_dialog->CheckCancelButton();
}

void CRunProgress::Close() { m_dialog.reset(); }
