// Loads the library named on the command line late, with dlopen, as a plugin host or another
// language's binding would, and calls into it: a library whose thread-local block outgrew the small
// static TLS reserve left for late-loaded libraries fails to load here.
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    // SendMessageA to no window fails with ERROR_INVALID_WINDOW_HANDLE in the thread's last error.
    using Send = long (*)(void*, unsigned, unsigned long, long);
    using LastError = unsigned (*)();
    auto send = reinterpret_cast<Send>(dlsym(library, "_Z12SendMessageAP6HWND__jml"));
    auto lastError = reinterpret_cast<LastError>(dlsym(library, "_Z12GetLastErrorv"));
    if (send == nullptr || lastError == nullptr) {
        std::fprintf(stderr, "dlsym: %s\n", dlerror());
        return 1;
    }
    if (send(nullptr, 0, 0, 0) != 0 || lastError() != 1400) {
        std::fprintf(stderr, "the library answered wrongly\n");
        return 1;
    }
    return dlclose(library) == 0 ? 0 : 1;
}
