#include "platform/store/hive_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kiln::detail {
namespace {

std::string EnvDir(const char* name) {
    const char* v = getenv(name);
    return v != nullptr && v[0] == '/' ? std::string(v) : std::string();
}

std::string HomeDir() {
    std::string home = EnvDir("HOME");
    if (!home.empty()) return home;
    const passwd* pw = getpwuid(getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? std::string(pw->pw_dir) : std::string("/");
}

}  // namespace

std::string HivePath(Hive hive) {
    const char* name = hive == Hive::User ? "user.db" : "machine.db";
    const char* dir = getenv("KILN_REGISTRY_DIR");
    if (dir != nullptr && dir[0] != '\0') return std::string(dir) + "/" + name;
    if (hive == Hive::Machine) return "/etc/kiln/machine.db";
    std::string config = EnvDir("XDG_CONFIG_HOME");
    if (config.empty()) config = HomeDir() + "/.config";
    return config + "/kiln/user.db";
}

}  // namespace kiln::detail
