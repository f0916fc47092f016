// Test helpers that change process state and put it back: an environment variable, the working
// directory.
#pragma once

#include <optional>
#include <string>

namespace kiln::test {

// Sets (or, with nullptr, removes) an environment variable for the helper's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

// Changes the working directory (a host path) for the helper's lifetime.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& hostPath);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::string m_saved;
};

}  // namespace kiln::test
