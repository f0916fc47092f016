// Whole-call file I/O: each open, read or write either succeeds or tells the user in one fixed
// sentence and returns 0, leaving the file aborted (closed) after a failed read or write.
//
// Byte records: an integer is its 4 bytes, little-endian; a string is one byte (length + 1) followed
// by the text and its NUL (so only texts of at most 254 bytes fit: longer ones are refused); raw data
// is the bytes alone. Files open with mode 0x1021 for writing (created or emptied, others may not
// write) and 0x20 for reading (others may not write).
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/files/file.h>

// Non-zero when a file or folder of that name exists.
int stdFileExist(const char* path);

int stdOpenWrite(CString name, CFile* file);
// Creates the file's folder (with its missing parents) first.
int stdOpenWriteReadyFolder(CString name, CFile* file);
int stdOpenRead(CString name, CFile* file);

int stdWriteInt(CFile* file, int value);
int stdWriteStr(CFile* file, char* text);
int stdWrite(CFile* file, char* data, unsigned int size);
// Creates (or empties) the file, writes size bytes and closes it.
int stdAllWrite(CString name, char* data, int size);

int stdReadInt(CFile* file, int* value);
// text must hold 255 bytes.
int stdReadStr(CFile* file, char* text);
int stdRead(CFile* file, char* data, unsigned int size);
