// A short tour of what the library offers so far: Windows paths split and mapped onto this system,
// a memory block stored in an archive record, byte records written and read back with the library's
// own file functions, and the library's message boxes (on a terminal they ask; in a batch job they
// print to standard error and take the default answer).
#include <kiln/kiln.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Paths() {
    std::printf("Paths\n");
    const char* samples[] = {"C:\\work\\src\\main.asm", "Z:\\home\\me\\notes.txt", "docs\\read.me",
                             "\\\\server\\share\\file.bin"};
    for (const char* path : samples) {
        std::string host;
        bool mapped = kiln::ToHostPath(path, host);
        std::printf("  %-28s folder %-18s name %-10s title %-6s ext %-5s host %s\n", path,
                    (const char*)str2PathIndex(path), (const char*)str2FileName(path),
                    (const char*)str2FileTitle(path), (const char*)GetExtensionNoPeriodEx(path),
                    mapped ? host.c_str() : "(no such drive)");
    }
    std::printf("  C:\\a\\b\\c.txt seen from C:\\a\\d is %s\n",
                (const char*)strGetRelativePathFrom("C:\\a\\b\\c.txt", "C:\\a\\d"));
}

void Archive() {
    std::printf("Memory block record\n");
    CAlloc block;
    block.Attach((void*)"Kiln", 4);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        block.Serialize(ar);
    }
    std::printf("  %u bytes:", (unsigned)file.GetLength());
    file.SeekToBegin();
    unsigned char byte;
    while (file.Read(&byte, 1) == 1) std::printf(" %02X", byte);
    std::printf("\n");
}

void Records(const std::string& folder) {
    std::printf("Byte records\n");
    CString name = (kiln::ToWindowsPath(folder) + "\\kiln-tour.bin").c_str();
    CFile out;
    char text[] = "hello";
    if (stdOpenWrite(name, &out) && stdWriteInt(&out, 2026) && stdWriteStr(&out, text)) out.Close();
    CFile in;
    int year = 0;
    char back[255] = {};
    if (stdOpenRead(name, &in) && stdReadInt(&in, &year) && stdReadStr(&in, back)) in.Close();
    std::printf("  wrote and read back %d and \"%s\" in %s\n", year, back, (const char*)name);
    CFile::Remove(name);
    std::printf("  reading it again now that it is gone:\n");
    CFile missing;
    stdOpenRead(name, &missing);
}

void Boxes() {
    std::printf("Message boxes\n");
    NOTICE("お知らせ: a notice from the library");
    int answer = _ERRASK1("質問: continue after %d warnings?", 3);
    std::printf("  the question was answered %d (%s)\n", answer,
                answer == IDRETRY    ? "Retry"
                : answer == IDIGNORE ? "Ignore"
                                     : "no box");
    std::printf("  a warning below the error level is not shown and answers %d\n",
                _ERRASKW0("this warning is silent at level 64"));
}

}  // namespace

int main() {
    Paths();
    Archive();
    Records(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp"));
    Boxes();
    return 0;
}
