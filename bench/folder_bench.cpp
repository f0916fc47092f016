// DeleteFolderRecursive of a tree of 10,000 empty folders (100 folders of 99 subfolders each) against
// std::filesystem::remove_all of the same tree, measured in the same run; prints the ratio. Building
// the tree is not timed.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>

#include <kiln/util/folder_delete.h>

#include "ratio.h"

namespace {

constexpr int kTop = 100, kInner = 99;  // 100 + 100 * 99 = 10,000 folders below the root

// On /dev/shm when there is one: in memory, the walk is measured and not the disk's journal.
std::string MakeRoot() {
    std::string folder = std::filesystem::is_directory("/dev/shm")
                             ? "/dev/shm"
                             : std::filesystem::temp_directory_path().string();
    std::string base = folder + "/kiln-bench-XXXXXX";
    if (mkdtemp(base.data()) == nullptr) std::abort();
    return base;
}

void BuildTree(const std::string& root) {
    mkdir(root.c_str(), 0755);
    for (int i = 0; i < kTop; ++i) {
        std::string top = root + "/folder" + std::to_string(i);
        mkdir(top.c_str(), 0755);
        for (int k = 0; k < kInner; ++k) mkdir((top + "/sub" + std::to_string(k)).c_str(), 0755);
    }
}

template <class Remove>
void RemoveTree(benchmark::State& state, Remove remove) {
    std::string root = MakeRoot();
    for (auto _ : state) {
        state.PauseTiming();
        BuildTree(root);
        state.ResumeTiming();
        remove(root);
    }
    std::filesystem::remove_all(root);
}

void RemoveAll(benchmark::State& state) {
    RemoveTree(state,
               [](const std::string& root) { benchmark::DoNotOptimize(std::filesystem::remove_all(root)); });
}

void DeleteFolderTree(benchmark::State& state) {
    RemoveTree(state, [](const std::string& root) {
        if (!DeleteFolderRecursive(root.c_str(), 1)) std::abort();  // a host path is taken as it is
    });
}

BENCHMARK(RemoveAll)->Unit(benchmark::kMillisecond);
BENCHMARK(DeleteFolderTree)->Unit(benchmark::kMillisecond);

KILN_COMPARE("DeleteFolderTree", "RemoveAll", 1.0);

}  // namespace

KILN_BENCHMARK_MAIN()
