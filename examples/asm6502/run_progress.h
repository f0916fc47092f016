// The progress dialog of a long assembly: nothing for a run that ends within half a second, then a
// bar per pass with a Cancel button. In a batch job the dialog shows nothing and is never cancelled,
// so such runs look as they would without it.
#pragma once

#include <time.h>

#include <memory>

#include <kiln/diag/progress_dialog.h>

#include "asm6502.h"

class CRunProgress : public CAsm6502::Progress {
public:
    CRunProgress();
    ~CRunProgress();
    CRunProgress(const CRunProgress&) = delete;
    CRunProgress& operator=(const CRunProgress&) = delete;

    bool Advance(int pass, unsigned int done, unsigned int total) override;
    // Takes the dialog away (the run is over).
    void Close();

private:
    timespec m_start;
    std::unique_ptr<CProgressDlg> m_dialog;
    int m_nPass = 0;
};
