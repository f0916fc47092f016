#include "settings/profile_correction.h"

// The prompt the dialog shows above the text.
[[maybe_unused]] static const char kProfileCorrectionPrompt[] =
    "ﾌﾟﾛﾌｧｲﾙの書式が不正のようです。可能なら修正してください。";

// The string input dialog is wired here when the dialogs land; until then every answer is a cancel.
BOOL AskProfileCorrection(CString& /*text*/) { return FALSE; }
