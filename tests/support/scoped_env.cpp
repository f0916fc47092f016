#include "support/scoped_env.h"

#include <cstdlib>
#include <filesystem>

namespace kiln::test {

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_saved = old;
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (m_saved)
        setenv(m_name.c_str(), m_saved->c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

ScopedCwd::ScopedCwd(const std::string& hostPath) : m_saved(std::filesystem::current_path().string()) {
    std::filesystem::current_path(hostPath);
}

ScopedCwd::~ScopedCwd() {
    std::error_code ec;
    std::filesystem::current_path(m_saved, ec);
}

}  // namespace kiln::test
