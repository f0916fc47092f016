#include "settings/profile_correction.h"

#include <kiln/diag/quick_dialog.h>

BOOL AskProfileCorrection(CString& text) {
    CStringDialog dialog(nullptr);
    dialog.SetTitle("ﾌﾟﾛﾌｧｲﾙの書式が不正のようです。可能なら修正してください。");
    dialog.SetDefStr(text);
    if (dialog.DoModal() != IDOK) return FALSE;
    text = dialog.GetString();
    return TRUE;
}
