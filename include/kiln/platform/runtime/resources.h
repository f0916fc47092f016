// Resources: string tables, dialog templates and menus of the modules of the process.
//
// The resources form one chain of modules: the application and each library add theirs, and a lookup
// searches the module added last first, so an application's resources come before those of the
// modules it uses. A resource is named by a number (MAKEINTRESOURCE, or the text "#123") or by a
// text compared without regard to ASCII case. Resource data is not copied: it must live as long as
// the process (static arrays). Dialog templates are in the Windows binary form (dialog_template.h),
// menus in the menu template form of LoadMenuIndirect.
#pragma once

#include <cstddef>

#include <kiln/platform/runtime/types.h>

typedef struct HRSRC__* HRSRC;

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)

namespace kiln {

struct StringResource {
    unsigned id;
    const char* text;  // code page 932, never null
};

// One resource other than a string: its type (RT_DIALOG, RT_MENU, ...), its name and its bytes.
struct ResourceEntry {
    LPCSTR type;
    LPCSTR name;
    const void* data;
    DWORD size;
};

// Adds a module with these resources and strings to the front of the chain and returns its
// instance handle. Within one module the first entry with a name (or string id) wins.
HINSTANCE AddResourceModule(const ResourceEntry* resources, size_t count,
                            const StringResource* strings = nullptr, size_t stringCount = 0);

// Adds a module holding only a string table.
void AddStringTable(const StringResource* table, size_t count);

// The text of string id, or null when no module has it.
const char* FindStringResource(unsigned id);

// The module that holds the resource, or null.
HINSTANCE FindResourceModule(LPCSTR name, LPCSTR type);

}  // namespace kiln

// Copies string uID into lpBuffer, truncated to cchBufferMax - 1 bytes (never in the middle of a
// double-byte character) and terminated; returns the bytes copied. 0 when there is no such string
// (ERROR_RESOURCE_NAME_NOT_FOUND, the buffer is then empty) or no buffer (ERROR_INVALID_PARAMETER).
// Strings are searched in the whole chain, so hInstance is not used.
int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// Finds a resource in the module hModule, or in the whole chain when hModule is null or the
// application's handle (AfxGetResourceHandle); null with ERROR_RESOURCE_NAME_NOT_FOUND (or
// ERROR_RESOURCE_TYPE_NOT_FOUND) when there is none. Strings are reached with LoadStringA only.
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// The resource's data handle; LockResource gives its address. Nothing needs freeing.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL FreeResource(HGLOBAL hResData);
#define UnlockResource(h) ((void)(h), 0)

// The handle that stands for the application's module: FindResourceA searches the whole chain.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
// The module of the chain that holds the resource, else AfxGetResourceHandle().
HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);
HINSTANCE AfxGetInstanceHandle();

#define LoadString LoadStringA
#define FindResource FindResourceA
