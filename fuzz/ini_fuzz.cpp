// INI files through the private-profile functions. The input is the file: every section and key it
// has is listed and read (into buffers of several sizes), then entries are written and deleted. A
// value written is read back as written.
#include <kiln/platform/store/private_profile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"

namespace {

// The zero-separated names a list call gives, at most limit of them.
std::vector<std::string> Names(const char* list, DWORD length, size_t limit) {
    std::vector<std::string> names;
    for (DWORD at = 0; at < length && names.size() < limit;) {
        std::string name(list + at);
        at += (DWORD)name.size() + 1;
        names.push_back(name);
    }
    return names;
}

std::string Value(const std::string& section, const std::string& key, const std::string& file) {
    static char value[4096];
    DWORD n =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", value, sizeof value, file.c_str());
    return std::string(value, n);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = kiln::fuzz::ScratchDir() + "/f.ini";
    kiln::fuzz::WriteWhole(file, data, size);

    static char list[8192];
    DWORD n = GetPrivateProfileSectionNamesA(list, sizeof list, file.c_str());
    std::vector<std::string> sections = Names(list, n, 8);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& section : sections) {
        DWORD k = GetPrivateProfileStringA(section.c_str(), nullptr, "", list, sizeof list, file.c_str());
        for (const std::string& key : Names(list, k, 8)) {
            entries.emplace_back(section, key);
            char small[3];
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "", small, sizeof small, file.c_str());
            GetPrivateProfileIntA(section.c_str(), key.c_str(), -1, file.c_str());
        }
        GetPrivateProfileStringA(section.c_str(), nullptr, "", list, 2, file.c_str());
    }

    // A new value in a section of the file (one whose name can be written back) and in a new one;
    // both read back exactly.
    std::string section = sections.empty() ? "s" : sections[0];
    if (section.find_first_of("]\r\n") == std::string::npos && section.find_first_not_of(" \t") == 0 &&
        section.find_last_not_of(" \t") == section.size() - 1 &&
        WritePrivateProfileStringA(section.c_str(), "fuzz-key", "v 1", file.c_str())) {
        KILN_FUZZ_CHECK(Value(section, "fuzz-key", file) == "v 1");
    }
    KILN_FUZZ_CHECK(WritePrivateProfileStringA("fuzz-section", "k", "v2", file.c_str()));
    KILN_FUZZ_CHECK(Value("fuzz-section", "k", file) == "v2");
    // Deleting an entry, then its whole section.
    if (!entries.empty()) {
        WritePrivateProfileStringA(entries[0].first.c_str(), entries[0].second.c_str(), nullptr,
                                   file.c_str());
        WritePrivateProfileStringA(entries[0].first.c_str(), nullptr, nullptr, file.c_str());
    }
    return 0;
}
