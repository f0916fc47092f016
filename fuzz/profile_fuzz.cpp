// Feeds arbitrary bytes to CProfile as its text and runs every operation on it: the keys found by
// enumeration and a few chosen to hit the format's edges are read in every typed way, then written,
// created, deleted and cut in a copy. The correction dialog answers cancel (batch front end).
#include <kiln/settings/profile.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Keeps the reads from being optimised away.
volatile unsigned long g_sink;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("KILN_UI", "batch", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CProfile profile(CString(bytes.c_str()));

    std::vector<CString> keys = {"a", "b", "", " a", "a;b", ";", "=", "\x83\x7B", "\x81;", "\x81"};
    CString key, value;
    for (const unsigned char* p = profile.EnumProfile(nullptr, key, value); p != nullptr;
         p = profile.EnumProfile(p, key, value))
        keys.push_back(key);

    // Unsigned, so that adding up whatever the reads return wraps instead of overflowing.
    unsigned long sum = 0;
    for (const CString& k : keys) {
        sum += profile.ReadProfile(k).IsType();
        sum += profile.ReadProfile(k, "d").IsType() + profile.ReadProfile(k, 3).IsType();
        sum += (unsigned long)profile.ReadProfileString(k, nullptr).GetLength() +
               (unsigned long)profile.ReadProfileInt(k, 7);
        sum += (unsigned long)profile.Read(k, "d").GetLength() + (unsigned long)profile.Read(k, 5) +
               profile.Read(k, 6ul);
    }

    CProfile copy(profile);
    for (size_t i = 0; i < keys.size(); ++i) {
        switch (i % 6) {
        case 0: sum += copy.WriteProfile(keys[i], valiant((int)i)); break;
        case 1: copy.CreateProfile(keys[i], "v{;}"); break;
        case 2: sum += copy.DeleteProfile(keys[i]); break;
        case 3: copy.Create(keys[i], 0x100000000ul + i); break;
        case 4: copy.CreateProfile(keys[i], valiant(tagValiantNull{})); break;
        default: copy.Omit((int)(i % 5), (int)(size % 7)); break;
        }
    }
    CProfile assigned;
    assigned = copy;
    sum += (unsigned long)assigned.ReadProfileInt(keys.back(), 0);
    g_sink = sum;
    return 0;
}
