#include "support/archive_bytes.h"

#include <kiln/platform/files/archive.h>
#include <kiln/platform/files/mem_file.h>

namespace kiln::test {

std::string StoreBytes(CObject& object) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        object.Serialize(ar);
    }
    std::string bytes((size_t)file.GetLength(), '\0');
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

void LoadBytes(CObject& object, const std::string& bytes) {
    CMemFile file;
    file.Write(bytes.data(), (UINT)bytes.size());
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    object.Serialize(ar);
}

std::string Le32(unsigned value) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = (char)((value >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace kiln::test
