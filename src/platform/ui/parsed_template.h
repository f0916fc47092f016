// A dialog template read out of its binary form.
#pragma once

#include <string>
#include <vector>

#include <kiln/platform/ui/dialog_template.h>

namespace kiln {

struct ParsedItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string className;  // the class name; a predefined atom is given by its name
    std::string text;       // code page 932; empty for a resource ordinal
};

struct ParsedTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string className;  // empty: the dialog class
    std::string caption;    // code page 932
    WORD pointSize = 0;
    std::string faceName;
    std::vector<ParsedItem> items;
};

// Reads the DLGTEMPLATE or DLGTEMPLATEEX at data, never past size bytes. False when the bytes end
// early, a string is not terminated or the control count runs past the end.
bool ParseDialogTemplate(const void* data, size_t size, ParsedTemplate* out);

// The bytes from data to the end of the resource that holds it; for a template no resource holds
// (one built in memory), a fixed bound within which it is trusted to be well formed.
size_t TemplateExtent(const void* data);

}  // namespace kiln
