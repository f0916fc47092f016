// Several processes on one hive, and a writer killed in the middle of its work.
#include <kiln/platform/registry.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "support/temp_dir.h"

namespace {

double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

std::string ValueName(int writer, int i) { return "w" + std::to_string(writer) + "_" + std::to_string(i); }

DWORD ValueOf(int writer, int i) { return (DWORD)(writer * 100000 + i); }

class RegistryReliabilityTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KILN_REGISTRY_DIR", dir.host().c_str(), 1); }
    kiln::test::TempDir dir;
};

TEST_F(RegistryReliabilityTest, FourProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 4;
    constexpr int kValues = 1000;
    double start = Seconds();
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            // Each writer makes the shared key itself, so the key's creation races too.
            HKEY key = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Load", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr) != ERROR_SUCCESS)
                _exit(2);
            for (int i = 0; i < kValues; ++i) {
                DWORD v = ValueOf(w, i);
                if (RegSetValueExA(key, ValueName(w, i).c_str(), 0, REG_DWORD, (const BYTE*)&v, sizeof v) !=
                    ERROR_SUCCESS)
                    _exit(3);
            }
            RegCloseKey(key);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    }
    double elapsed = Seconds() - start;
    RecordProperty("seconds", std::to_string(elapsed));
    printf("[ timing   ] %d processes x %d writes: %.2f s\n", kWriters, kValues, elapsed);

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
            if (RegQueryValueExA(key, ValueName(w, i).c_str(), nullptr, nullptr, (BYTE*)&v, &size) !=
                    ERROR_SUCCESS ||
                v != ValueOf(w, i))
                ++wrong;
        }
    EXPECT_EQ(0, wrong);
    RegCloseKey(key);
}

TEST_F(RegistryReliabilityTest, AWriterKilledMidWayKeepsEveryReturnedWrite) {
    int progress[2];
    ASSERT_EQ(0, pipe(progress));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(progress[0]);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Killed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            _exit(2);
        std::string text(300, 'k');  // large enough to span pages, so a kill can land mid-page
        for (int i = 0;; ++i) {
            text[0] = (char)('a' + i % 26);
            if (RegSetValueExA(key, ValueName(0, i).c_str(), 0, REG_SZ, (const BYTE*)text.c_str(),
                               (DWORD)text.size() + 1) != ERROR_SUCCESS)
                _exit(3);
            if (write(progress[1], &i, sizeof i) != sizeof i) _exit(4);
        }
    }
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
        if (RegQueryValueExA(key, ValueName(0, n).c_str(), nullptr, nullptr, (BYTE*)data, &size) !=
                ERROR_SUCCESS ||
            size != 301 || data[0] != 'a' + n % 26 || data[299] != 'k')
            ++missing;
    }
    EXPECT_EQ(0, missing) << "of " << last + 1 << " returned writes";
    // The hive goes on working.
    DWORD v = 1;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "after", 0, REG_DWORD, (const BYTE*)&v, sizeof v));
    RegCloseKey(key);
}

}  // namespace
