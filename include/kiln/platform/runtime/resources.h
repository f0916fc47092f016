// String resources.
//
// The strings of the process form one chain of tables: the application and each module add theirs
// with kiln::AddStringTable, and a lookup searches the tables added last first, so an application's
// strings come before those of the modules it uses. LoadStringA, CString::LoadString,
// CString::Format(UINT, ...) and AfxMessageBox(UINT) read from this chain.
#pragma once

#include <cstddef>

#include <kiln/platform/runtime/types.h>

namespace kiln {

struct StringResource {
    unsigned id;
    const char* text;  // code page 932, never null
};

// Adds a table to the front of the chain. The table is not copied: it must live as long as the
// process (a static array). Within one table the first entry with an id wins.
void AddStringTable(const StringResource* table, size_t count);

// The text of string id, or null when no table has it.
const char* FindStringResource(unsigned id);

}  // namespace kiln

// Copies string uID into lpBuffer, truncated to cchBufferMax - 1 bytes (never in the middle of a
// double-byte character) and terminated; returns the bytes copied. 0 when there is no such string
// (ERROR_RESOURCE_NAME_NOT_FOUND, the buffer is then empty) or no buffer (ERROR_INVALID_PARAMETER).
// All resources share one chain, so hInstance is not used.
int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// The generic name; like every generic name it also renames members called LoadString
// (CString::LoadString is CString::LoadStringA in the library and in its clients alike).
#define LoadString LoadStringA
