// CLog: a plain-text log file, one entry per call, with optional time stamps and nesting.
//
// An entry is, in order: with flag 0x4 the prefix "[yyyy mm/dd hh:mm:ss.mmm(zone)]" of the local
// time (zone being the time-zone bias in minutes, west positive, as "%+03d": -540 for Tokyo), one tab
// per nesting level, the text, and CR LF unless the flags are 0. Every piece goes straight to the
// file. Opening writes the start banner and indents later entries by one tab; closing writes the end
// banner at level 0 (flag 0x8 leaves both banners out). The file is appended to unless the caller
// asks for it to be emptied. Log calls on a closed log are ignored.
//
// A copy refers to the same file as its original; a file object the log owns is deleted when the
// last log that refers to it is closed or destroyed. Write errors reach the caller as
// CFileException, except in the destructor, which drops them.
#pragma once

#include <memory>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/files/file.h>
#include <kiln/platform/runtime/types.h>

class CLog {
public:
    enum : unsigned long {
        flagTimeStamp = 0x4,  // prefix each entry with the local date and time
        flagNoBanner = 0x8,   // no start and end banners
    };

    // Any non-zero flags end each entry with CR LF; 5 is a time-stamped log with line ends.
    explicit CLog(unsigned long flags = 5);
    CLog(const CLog& other) = default;
    CLog& operator=(const CLog& other) = default;
    ~CLog();

    // Opens name (its extension replaced by "log") and appends to it; a null name stands for
    // "Log<date and time>.log" in the program's folder. 1, or 0 after a message box.
    int Open(const char* name);
    // With quiet, no banners. With timestamped and a name, name is a folder and the file inside it
    // is "Log<date and time>.log". With truncate an existing file is emptied.
    int OpenEx(const char* name, int timestamped, int quiet, int truncate);
    // Logs into a file the caller opened, from its end; with ownsFile the log deletes it on Close.
    // 0 for a null file.
    int OpenEx(CFile* file, int ownsFile, int quiet);

    // A new CFile opened on path with openFlags, or null after the box "<path> の書き込みオープンに
    // 失敗しました".
    static CFile* CreateSaveFile(const char* path, unsigned int openFlags);

    // Writes the end banner (unless quiet) and closes the file.
    void Close();
    int IsOpen() const { return m_pFile != nullptr; }
    unsigned long GetLineCount() const { return m_nLineCount; }
    // Now minus the time the log was opened, in 100-nanosecond units.
    ULONGLONG GetTimeDistance() const;
    // The file's full path; empty while closed.
    CString GetFullPath() const;

    void Log(const char* text);
    // printf-style entries; a value may be a string pointer. An entry is cut to 2047 bytes.
    void Log1(const char* format, INT_PTR a);
    void Log2(const char* format, INT_PTR a, INT_PTR b);
    void Log3(const char* format, INT_PTR a, INT_PTR b, INT_PTR c);
    void Log4(const char* format, INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d);
    // Logs text, then indents later entries one tab deeper.
    void Begin(const char* text);
    // Takes one tab of indentation away, then logs text.
    void Finished(const char* text);
    // Logs "<Past time> s.sssss秒", the seconds since the log was opened.
    void LogPast();

protected:
    int OpenCore(const char* name, int truncate);
    int Opened();

private:
    void Attach(CFile* file, bool owns);
    void LogFormatted(const char* format, const INT_PTR* args, int count);
    void WritePiece(const void* bytes, size_t length);

    CFile* m_pFile = nullptr;
    int m_nNest = 0;
    unsigned long m_nLineCount = 0;
    char m_szTimeZone[8] = {};
    unsigned long m_nFlags;
    ULONGLONG m_nStartTime = 0;
    // Holds the file object while the log owns it; shared by copies of the log.
    std::shared_ptr<CFile> m_ownedFile;
};
