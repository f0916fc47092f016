// An exception shows itself to the user through the message boxes, which sit above the exceptions.
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/ui/message_box.h>

int CException::ReportError(UINT nType, UINT nMessageID) const {
    char text[512];
    if (GetErrorMessage(text, sizeof text)) return AfxMessageBox(text, nType, 0);
    if (nMessageID != 0) return AfxMessageBox(nMessageID, nType, 0);
    return AfxMessageBox("An unknown error has occurred.", nType, 0);
}
