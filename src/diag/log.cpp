#include <kiln/diag/log.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/time/system_time.h>
#include <kiln/util/extension.h>
#include <kiln/util/path_string.h>

#include "platform/text/printf_args.h"
#include "platform/time/file_time.h"

namespace {

constexpr int kMaxNest = 256;
// The formatted entries of Log1..Log4 are kept within a 2048-byte buffer with its terminator.
constexpr int kMaxEntry = 2047;

constexpr UINT kOpenTruncate = CFile::modeCreate | CFile::shareDenyWrite | CFile::modeWrite;  // 0x1021
constexpr UINT kOpenAppend = kOpenTruncate | CFile::modeNoTruncate;                           // 0x3021

const char kStartBanner[] = "\r\n<<Start Logging>>";
const char kEndBanner[] = "\r\n<<End Logging>>";
const char kNameTimeFormat[] = "%Y %m月%d日 %H時%M分%S秒";

struct Tabs {
    char text[kMaxNest];
    Tabs() { std::memset(text, '\t', sizeof text); }
};
const Tabs kTabs;

// strftime one conversion at a time, so that the format's own text (code page 932) is copied byte for
// byte whatever the C library's locale would make of it.
CString FormatTime(const char* format, const tm& fields) {
    CString out;
    for (const char* p = format; *p != '\0';) {
        if (p[0] == '%' && p[1] != '\0') {
            const char conversion[] = {'%', p[1], '\0'};
            char piece[64];
            out.Append(piece, (int)strftime(piece, sizeof piece, conversion, &fields));
            p += 2;
        } else {
            int length = (int)kiln::CharLength(p);
            out.Append(p, length);
            p += length;
        }
    }
    return out;
}

// "Log" and the local date and time, for example "Log2024 03月05日 14時07分09秒".
CString TimeStampedName() {
    __time64_t now = _time64(nullptr);
    tm fields{};
    _localtime64_s(&fields, &now);
    return "Log" + FormatTime(kNameTimeFormat, fields);
}

}  // namespace

CLog::CLog(unsigned long flags) : m_nFlags(flags) {}

CLog::~CLog() {
    try {
        Close();
    } catch (CException* e) {
        // The end banner or the close failed; an owned file object is freed all the same.
        e->Delete();
    }
}

void CLog::Attach(CFile* file, bool owns) {
    // A log opened again lets go of its previous file without a banner: an owned one is closed and
    // deleted here (unless a copy still uses it) rather than left behind.
    m_pFile = file;
    if (owns && file != nullptr)
        m_ownedFile.reset(file);
    else
        m_ownedFile.reset();
}

int CLog::Open(const char* name) {
    if (name == nullptr) return OpenCore(GetModulePath() + TimeStampedName(), 0);
    return OpenCore(name, 0);
}

int CLog::OpenEx(const char* name, int timestamped, int quiet, int truncate) {
    if (quiet) m_nFlags |= flagNoBanner;
    if (timestamped && name != nullptr)
        return OpenCore(PathIndexToWithSeparator(name) + TimeStampedName(), truncate);
    return OpenCore(name, truncate);
}

int CLog::OpenEx(CFile* file, int ownsFile, int quiet) {
    if (quiet) m_nFlags |= flagNoBanner;
    Attach(file, (BYTE)ownsFile != 0);
    if (file == nullptr) return 0;
    return Opened();
}

int CLog::OpenCore(const char* name, int truncate) {
    CString path = SetExtensionNoPeriod(name, "log");
    Attach(CreateSaveFile(path, truncate ? kOpenTruncate : kOpenAppend), true);
    if (m_pFile == nullptr) return 0;
    return Opened();
}

int CLog::Opened() {
    m_nStartTime = kiln::detail::FileTimeNow();
    m_pFile->SeekToEnd();
    m_nNest = 0;
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    std::snprintf(m_szTimeZone, sizeof m_szTimeZone, "%+03d", (int)zone.Bias);
    if (!(m_nFlags & flagNoBanner)) Begin(kStartBanner);
    return 1;
}

CFile* CLog::CreateSaveFile(const char* path, unsigned int openFlags) {
    CFile* file = new CFile;
    if (file->Open(path, openFlags, nullptr)) return file;
    AfxMessageBox(CString(path) + " の書き込みオープンに失敗しました", MB_OK | MB_ICONEXCLAMATION, 0);
    delete file;
    return nullptr;
}

void CLog::Close() {
    m_nNest = 0;
    if (m_pFile == nullptr) return;
    if (!(m_nFlags & flagNoBanner)) {
        m_nNest = 1;
        Finished(kEndBanner);
    }
    CFile* file = m_pFile;
    std::shared_ptr<CFile> owned = std::move(m_ownedFile);
    m_pFile = nullptr;
    // A copy of this log that shares the owned file keeps it open.
    if (owned == nullptr || owned.use_count() == 1) file->Close();
}

ULONGLONG CLog::GetTimeDistance() const { return kiln::detail::FileTimeNow() - m_nStartTime; }

CString CLog::GetFullPath() const { return m_pFile != nullptr ? m_pFile->GetFilePath() : CString(); }

void CLog::WritePiece(const void* bytes, size_t length) {
    if (length > 0) m_pFile->Write(bytes, (UINT)length);
}

void CLog::Log(const char* text) {
    if (m_pFile == nullptr) return;
    if (m_nFlags & flagTimeStamp) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        char prefix[80];
        int length = std::snprintf(prefix, sizeof prefix, "[%4u %2u/%02u %02u:%02u:%02u.%03u(%s)]", now.wYear,
                                   now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                   now.wMilliseconds, m_szTimeZone);
        WritePiece(prefix, (size_t)length);
    }
    // More Finished than Begin calls write no tabs, deeper than 256 levels write 256.
    int tabs = m_nNest < 0 ? 0 : m_nNest > kMaxNest ? kMaxNest : m_nNest;
    WritePiece(kTabs.text, (size_t)tabs);
    if (text != nullptr) WritePiece(text, std::strlen(text));
    if (m_nFlags != 0) WritePiece("\r\n", 2);
    ++m_nLineCount;
}

void CLog::LogFormatted(const char* format, const INT_PTR* args, int count) {
    if (m_pFile == nullptr) return;
    // An entry longer than the buffer is cut at its end, never inside a double-byte character.
    CString entry = kiln::FormatArgs(format, args, count);
    if (entry.GetLength() > kMaxEntry)
        entry = entry.Left(
            (int)kiln::FittingLength(std::string_view((LPCTSTR)entry, entry.GetLength()), kMaxEntry));
    Log(entry);
}

void CLog::Log1(const char* format, INT_PTR a) {
    const INT_PTR v[] = {a};
    LogFormatted(format, v, 1);
}
void CLog::Log2(const char* format, INT_PTR a, INT_PTR b) {
    const INT_PTR v[] = {a, b};
    LogFormatted(format, v, 2);
}
void CLog::Log3(const char* format, INT_PTR a, INT_PTR b, INT_PTR c) {
    const INT_PTR v[] = {a, b, c};
    LogFormatted(format, v, 3);
}
void CLog::Log4(const char* format, INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d) {
    const INT_PTR v[] = {a, b, c, d};
    LogFormatted(format, v, 4);
}

void CLog::Begin(const char* text) {
    Log(text);
    ++m_nNest;
}

void CLog::Finished(const char* text) {
    --m_nNest;
    Log(text);
}

void CLog::LogPast() {
    char entry[128];
    std::snprintf(entry, sizeof entry, "<Past time> %5.5f秒", (double)GetTimeDistance() / 10000000.0);
    Log(entry);
}
