#include <kiln/util/file_io.h>

#include <kiln/platform/ui/message_box.h>
#include <kiln/util/create_folder.h>
#include <kiln/util/path_string.h>

#include <cstring>

namespace {

constexpr UINT kWriteMode = CFile::modeCreate | CFile::shareDenyWrite | CFile::modeWrite;  // 0x1021
constexpr UINT kReadMode = CFile::shareDenyWrite | CFile::modeRead;                        // 0x20
constexpr UINT kWarning = MB_OK | MB_ICONEXCLAMATION;                                      // 0x30

const char kOpenWriteFailed[] = " の書き込みオープンに失敗しました";
const char kOpenReadFailed[] = " の読み込みオープンに失敗しました";
const char kWriteFailed[] = " への書き込みに失敗しました";
const char kReadFailed[] = " からの読み込みに失敗しました";

// Aborts the file and reports the failure of a read or write on it.
int Fail(CFile* file, const char* what) {
    CString path = file->GetFilePath();
    file->Abort();
    AfxMessageBox(path + what, kWarning, 0);
    return 0;
}

int Write(CFile* file, const void* data, UINT size) {
    try {
        file->Write(data, size);
    } catch (CFileException* e) {
        e->Delete();
        return Fail(file, kWriteFailed);
    }
    return 1;
}

int Read(CFile* file, void* data, UINT size) {
    UINT got;
    try {
        got = file->Read(data, size);
    } catch (CFileException* e) {
        e->Delete();
        return Fail(file, kReadFailed);
    }
    return got < size ? Fail(file, kReadFailed) : 1;
}

int Open(const CString& name, CFile* file, UINT mode, const char* failure) {
    CFileException error;
    if (file->Open(name, mode, &error)) return 1;
    AfxMessageBox(name + failure, kWarning, 0);
    return 0;
}

}  // namespace

int stdFileExist(const char* path) {
    CFileStatus status;
    return CFile::GetStatus(path, status);
}

int stdOpenWrite(CString name, CFile* file) { return Open(name, file, kWriteMode, kOpenWriteFailed); }

int stdOpenWriteReadyFolder(CString name, CFile* file) {
    CString folder = str2PathIndex(name);
    if (!folder.IsEmpty()) CreateDirectoryStair(folder, nullptr);
    return stdOpenWrite(name, file);
}

int stdOpenRead(CString name, CFile* file) { return Open(name, file, kReadMode, kOpenReadFailed); }

int stdWriteInt(CFile* file, int value) { return Write(file, &value, 4); }

int stdWriteStr(CFile* file, char* text) {
    size_t length = std::strlen(text);
    // The length byte holds at most 255 = 254 bytes of text and the NUL; a longer record could not
    // be read back, so it is refused like a failed write.
    if (length > 254) return Fail(file, kWriteFailed);
    unsigned char n = (unsigned char)(length + 1);
    return Write(file, &n, 1) && Write(file, text, n);
}

int stdWrite(CFile* file, char* data, unsigned int size) { return Write(file, data, size); }

int stdAllWrite(CString name, char* data, int size) {
    CFile file;
    CFileException error;
    if (!file.Open(name, kWriteMode, &error)) {
        AfxMessageBox(name + "の書き込みオープンに失敗しました", 0, 0);
        return 0;
    }
    try {
        file.Write(data, size > 0 ? (UINT)size : 0);
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        file.Abort();
        AfxMessageBox(name + kWriteFailed, kWarning, 0);
        return 0;
    }
    return 1;
}

int stdReadInt(CFile* file, int* value) { return Read(file, value, 4); }

int stdReadStr(CFile* file, char* text) {
    unsigned char n;
    return Read(file, &n, 1) && Read(file, text, n);
}

int stdRead(CFile* file, char* data, unsigned int size) { return Read(file, data, size); }
