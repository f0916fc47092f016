#include <cstdio>
#include <string>

#include <kiln/platform/ui/window.h>

#include <kiln/platform/text/user_charset.h>
#include "platform/ui/front_end.h"

namespace kiln {

// A batch job has nobody to answer: the modal dialog is cancelled at its first wait (the modal loop
// ends it when the handler returns), with one line saying so. Modeless dialogs print nothing.
void BatchDialogEvent(const DialogEvent& event) {
    if (event.kind != DialogEventKind::Waiting || !event.modal) return;
    std::string caption(GetWindowTextLengthA(event.dialog) + 1, '\0');
    caption.resize((size_t)GetWindowTextA(event.dialog, caption.data(), (int)caption.size()));
    std::fprintf(stderr, "kiln: dialog \"%s\" cancelled: no terminal\n", ToUserCharset(caption).c_str());
    std::fflush(stderr);
}

}  // namespace kiln
