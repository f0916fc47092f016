// Dialog templates in the Windows binary form, and a builder that writes them.
//
// A template is a DLGTEMPLATE (or DLGTEMPLATEEX) header followed by its menu, class and caption,
// the font when the style has DS_SETFONT, and one DLGITEMTEMPLATE per control, each aligned to four
// bytes from the start of the template. Texts in the binary form are UTF-16; the builder takes
// code page 932 and the dialog manager gives the controls code page 932 again. Templates are read
// defensively: a truncated template, a control count past its end or an unterminated string makes
// creation fail, never read outside the bytes.
#pragma once

#include <string>
#include <vector>

#include <kiln/platform/runtime/types.h>

#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
};
#pragma pack(pop)
typedef const DLGTEMPLATE* LPCDLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;
typedef DLGTEMPLATE* LPDLGTEMPLATE;

// Dialog styles.
#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

namespace kiln {

// One control of a template. className is a class name; "Button", "Edit", "Static", "ListBox",
// "ScrollBar" and "ComboBox" are written as their predefined atoms, as a resource compiler does.
struct DialogItem {
    std::string className;
    WORD id = 0;
    std::string text;                    // code page 932
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;                     // WS_CHILD is always added
    DWORD exStyle = 0;
};

// A dialog: with a font face the template gets DS_SETFONT and the font.
struct DialogDescription {
    std::string caption;  // code page 932
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD pointSize = 0;
    std::string faceName;  // code page 932; empty: no font
    std::vector<DialogItem> items;
};

// The template bytes (DLGTEMPLATE form). Keep them while dialogs use them; the start of the vector
// is suitably aligned for an LPCDLGTEMPLATE.
std::vector<BYTE> BuildDialogTemplate(const DialogDescription& dialog);

}  // namespace kiln
