// Several processes on one hive, and a writer killed in the middle of its work.
#include <kiln/platform/store/registry.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace {

std::string ValueName(int writer, int i) { return "w" + std::to_string(writer) + "_" + std::to_string(i); }

// Forks a child that runs body on the key path (created by the child itself) and exits with its result.
pid_t ForkWriter(const char* path, const std::function<int(HKEY)>& body) {
    pid_t child = fork();
    if (child != 0) return child;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        _exit(2);
    _exit(body(key));
}

class RegistryReliabilityTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KILN_REGISTRY_DIR", dir.host().c_str(), 1); }
    kiln::test::TempDir dir;
};

TEST_F(RegistryReliabilityTest, FourProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 4, kValues = 1000;
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        // Each writer makes the shared key itself, so the key's creation races too.
        children[w] = ForkWriter("Software\\Load", [w](HKEY key) {
            for (DWORD i = 0; i < kValues; ++i) {
                DWORD v = w * 100000 + i;
                if (RegSetValueExA(key, ValueName(w, i).c_str(), 0, REG_DWORD, (const BYTE*)&v, sizeof v))
                    return 3;
            }
            return 0;
        });
        ASSERT_GE(children[w], 0);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    printf("[ timing   ] %d processes x %d writes: %.2f s\n", kWriters, kValues,
           (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9);

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Load", 0, KEY_READ, &key));
    DWORD count = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              &count, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ((DWORD)(kWriters * kValues), count);
    int wrong = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValues; ++i) {
            DWORD v = 0, size = sizeof v;
            LONG rc = RegQueryValueExA(key, ValueName(w, i).c_str(), nullptr, nullptr, (BYTE*)&v, &size);
            wrong += rc != ERROR_SUCCESS || v != (DWORD)(w * 100000 + i);
        }
    EXPECT_EQ(0, wrong);
    RegCloseKey(key);
}

TEST_F(RegistryReliabilityTest, AWriterKilledMidWayKeepsEveryReturnedWrite) {
    int progress[2];
    ASSERT_EQ(0, pipe(progress));
    pid_t child = ForkWriter("Software\\Killed", [&](HKEY key) {
        close(progress[0]);
        std::string text(300, 'k');  // large enough to span pages, so a kill can land mid-page
        for (int i = 0;; ++i) {
            text[0] = (char)('a' + i % 26);
            if (RegSetValueExA(key, ValueName(0, i).c_str(), 0, REG_SZ, (const BYTE*)text.c_str(),
                               (DWORD)text.size() + 1) != ERROR_SUCCESS)
                return 3;
            if (write(progress[1], &i, sizeof i) != sizeof i) return 4;
        }
    });
    ASSERT_GE(child, 0);
    close(progress[1]);
    // Let it get well under way, then kill it without warning.
    int last = -1, i = 0;
    while (last < 300 && read(progress[0], &i, sizeof i) == sizeof i) last = i;
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
    while (read(progress[0], &i, sizeof i) == sizeof i) last = i;
    close(progress[0]);
    ASSERT_GE(last, 300);

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Killed", 0, KEY_ALL_ACCESS, &key));
    int missing = 0;
    for (int n = 0; n <= last; ++n) {
        char data[400] = {};
        DWORD size = sizeof data;
        LONG rc = RegQueryValueExA(key, ValueName(0, n).c_str(), nullptr, nullptr, (BYTE*)data, &size);
        missing += rc != ERROR_SUCCESS || size != 301 || data[0] != 'a' + n % 26 || data[299] != 'k';
    }
    EXPECT_EQ(0, missing) << "of " << last + 1 << " returned writes";
    DWORD v = 1;  // the hive goes on working
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "after", 0, REG_DWORD, (const BYTE*)&v, sizeof v));
    RegCloseKey(key);
}

}  // namespace
