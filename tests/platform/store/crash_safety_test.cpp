// Settings written by several processes at once, and writes that fail or are killed at any point: an
// INI file is always the old one or the new one, and the registry hive keeps every write that returned
// success.
#include <kiln/platform/store/private_profile.h>
#include <kiln/platform/store/registry.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/replace_file.h"
#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;
using kiln::test::TempDir;

// The hook's plan: at step number g_stopAt (counted from 1) inject g_fault, or end the process as
// a kill would when g_fault is 0.
constexpr int kKilled = 99;
int g_stopAt = 0, g_steps = 0, g_fault = 0;

int FaultAtStep(kiln::detail::ReplaceStep) {
    if (++g_steps != g_stopAt) return 0;
    if (g_fault == 0) _exit(kKilled);
    return g_fault;
}

class Hooked {
public:
    Hooked(int stopAt, int fault) {
        g_stopAt = stopAt;
        g_steps = 0;
        g_fault = fault;
        kiln::detail::SetReplaceFaultHook(FaultAtStep);
    }
    ~Hooked() { kiln::detail::SetReplaceFaultHook(nullptr); }
};

size_t FilesIn(const std::string& folder) {
    return (size_t)std::distance(std::filesystem::directory_iterator(folder), {});
}

// Runs body(w) in n child processes at once; every one must return true.
void RunAtOnce(int n, const std::function<bool(int)>& body) {
    std::vector<pid_t> children;
    for (int w = 0; w < n; ++w) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(body(w) ? 0 : 1);
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    }
}

HKEY CreateKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

std::string Name(int writer, int i) { return "w" + std::to_string(writer) + "_" + std::to_string(i); }

// Every step of the replacement, as a kill and as a failure: before the rename the old file stays
// whole (and a failure leaves no temporary file), from the rename on the new one is there whole.
TEST(IniCrashSafety, AWriteKilledOrFailingAtAnyStepLeavesTheOldFileOrTheNew) {
    TempDir dir;
    const std::string path = dir.win("app.ini");
    const std::string before = "[App]\r\nName=old\r\n" + std::string(5000, ';') + "\r\n";
    const std::string after = "[App]\r\nName=new\r\n" + std::string(5000, ';') + "\r\n";
    const int kRenameStep = 6;  // create, write, mode, sync, close, rename, sync folder
    int steps = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        dir.Write("app.ini", before);
        int status = kiln::test::RunInChild([&] {
            Hooked hook(n, 0);
            return WritePrivateProfileStringA("App", "Name", "new", path.c_str()) ? 0 : 1;
        });
        ASSERT_TRUE(status == kKilled || status == 0) << status;
        EXPECT_EQ(dir.Read("app.ini"), n <= kRenameStep && status == kKilled ? before : after);

        dir.Write("app.ini", before);
        for (const auto& entry : std::filesystem::directory_iterator(dir.host()))
            if (entry.path().filename() != "app.ini") std::filesystem::remove(entry.path());
        Hooked hook(n, EIO);
        BOOL written = WritePrivateProfileStringA("App", "Name", "new", path.c_str());
        EXPECT_EQ(written, n <= kRenameStep ? FALSE : TRUE);
        EXPECT_EQ(dir.Read("app.ini"), written ? after : before);
        EXPECT_EQ(FilesIn(dir.host()), 1u) << "a temporary file was left";
        if (status == 0) {
            steps = n - 1;
            break;
        }
    }
    EXPECT_EQ(steps, kRenameStep + 1) << "every step was reached";
}

TEST(IniCrashSafety, WritersInSeveralProcessesLoseNothing) {
    TempDir dir;
    const std::string ini = dir.win("app.ini");
    auto section = [](int i) { return i % 2 ? "odd" : "even"; };
    RunAtOnce(4, [&](int w) {
        for (int i = 0; i < 40; ++i)
            if (!WritePrivateProfileStringA(section(i), Name(w, i).c_str(), Name(w, i).c_str(), ini.c_str()))
                return false;
        return true;
    });
    int found = 0;
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 40; ++i) {
            char value[16] = {};
            GetPrivateProfileStringA(section(i), Name(w, i).c_str(), "", value, sizeof value, ini.c_str());
            found += value == Name(w, i);
        }
    EXPECT_EQ(found, 4 * 40);
    EXPECT_EQ(FilesIn(dir.host()), 1u) << "a temporary file was left";
}

// Large enough to span pages, so that a kill can land in the middle of one.
std::string Data(int writer, int i) {
    return std::string(300, (char)('a' + (writer + i) % 26)) + Name(writer, i);
}

LONG SetData(HKEY key, int writer, int i) {
    std::string data = Data(writer, i);
    return RegSetValueExA(key, Name(writer, i).c_str(), 0, REG_BINARY, (const BYTE*)data.data(),
                          (DWORD)data.size());
}

// How many of the (writer, i) values are missing from the key or wrong.
int Missing(HKEY key, const std::vector<std::pair<int, int>>& written) {
    int missing = 0;
    for (const auto& [writer, i] : written) {
        char data[400];
        DWORD size = sizeof data;
        LONG rc = RegQueryValueExA(key, Name(writer, i).c_str(), nullptr, nullptr, (BYTE*)data, &size);
        missing += rc != ERROR_SUCCESS || std::string(data, size) != Data(writer, i);
    }
    return missing;
}

TEST(RegistryCrashSafety, FourProcessesWritingAtOnceLoseNothing) {
    TempDir dir;
    ScopedEnv env("KILN_REGISTRY_DIR", dir.host().c_str());
    constexpr int kValues = 1000;
    // Each writer makes the shared key itself, so the key's creation races too.
    RunAtOnce(4, [](int w) {
        HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Load");
        for (int i = 0; key != nullptr && i < kValues; ++i)
            if (SetData(key, w, i) != ERROR_SUCCESS) return false;
        return key != nullptr;
    });
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Load");
    DWORD count = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 4u * kValues);
    std::vector<std::pair<int, int>> written;
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < kValues; ++i) written.emplace_back(w, i);
    EXPECT_EQ(Missing(key, written), 0);
    RegCloseKey(key);
}

std::string IntegrityCheck(const std::string& file) {
    sqlite3* db = nullptr;
    std::string result = "cannot check";
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    auto first = [](void* out, int, char** row, char**) { return *(std::string*)out = row[0], 0; };
    sqlite3_exec(db, "PRAGMA integrity_check", first, &result, nullptr);
    sqlite3_close(db);
    return result;
}

// Writers killed at a random moment of their work (setting values, making and deleting keys, each
// one transaction) after at least warmUp writes each. Every write a writer saw succeed is in the hive
// whole, the hive passes the integrity check and goes on working.
void KillWriters(int rounds, int warmUp) {
    TempDir dir;
    ScopedEnv env("KILN_REGISTRY_DIR", dir.host().c_str());
    std::mt19937 random(20261206);
    std::vector<std::pair<int, int>> returned;  // (round, i) of every write a writer saw succeed
    for (int round = 0; round < rounds; ++round) {
        int progress[2];
        ASSERT_EQ(pipe(progress), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(progress[0]);
            HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Crash");
            for (int i = 0; key != nullptr; ++i) {
                if (SetData(key, round, i) != ERROR_SUCCESS) break;
                if (write(progress[1], &i, sizeof i) != sizeof i) break;
                std::string name = "Sub" + std::to_string(i % 3);
                if (HKEY sub = CreateKey(key, name.c_str())) RegCloseKey(sub);
                if (i % 2) RegDeleteKeyA(key, name.c_str());
            }
            _exit(3);
        }
        close(progress[1]);
        int i = 0;
        for (int seen = 0; seen <= warmUp && read(progress[0], &i, sizeof i) == sizeof i; ++seen)
            returned.emplace_back(round, i);
        usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer " << round << " stopped by itself: " << status;
        while (read(progress[0], &i, sizeof i) == sizeof i) returned.emplace_back(round, i);
        close(progress[0]);
        if (round % 100 == 99) {
            ASSERT_EQ(IntegrityCheck(dir.host("user.db")), "ok") << "after " << round + 1;
        }
    }
    ASSERT_EQ(IntegrityCheck(dir.host("user.db")), "ok");
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Crash");
    EXPECT_EQ(Missing(key, returned), 0) << "of " << returned.size() << " returned writes";
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExA(key, "after", 0, REG_DWORD, (const BYTE*)&v, sizeof v), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(RegistryCrashSafety, WritersKilledMidWayKeepEveryReturnedWrite) { KillWriters(4, 75); }

// Slow: run as its own test, labelled "slow".
TEST(RegistryCrashSafety, DISABLED_AThousandKilledWritersLoseNoWriteThatReturnedSuccess) {
    KillWriters(1000, 0);
}

}  // namespace
