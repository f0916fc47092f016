// Whole-process wall time of kiln-asm6502 against xa65 on a generated program.
//
//   kiln-asm6502-bench [--runs N] [--lines N] [--xa PATH] [--asm PATH]
//
// Writes a program of --lines lines (24,000 by default, a label every sixth line, from *=$0200),
// checks that both assemblers give the same bytes for it, then runs them alternately --runs times
// each (15 by default) and prints the median times and the median of the per-pair time ratios
// (kiln-asm6502 / xa65; below 1 means kiln-asm6502 is faster). Build it with the release preset.
#include "random_source.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>  // brings std::chrono's clocks
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Runs a program with its output thrown away; the exit status, or -1.
int Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

double Seconds(const std::vector<std::string>& args) {
    auto start = std::chrono::steady_clock::now();
    if (Run(args) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    unsigned int lines = 24000;
    std::string xa = "/usr/bin/xa";
    std::string ours = KILN_ASM6502_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--lines") == 0)
            lines = (unsigned int)std::max(10, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--xa") == 0)
            xa = argv[i + 1];
        else if (std::strcmp(argv[i], "--asm") == 0)
            ours = argv[i + 1];
    }
    if (access(xa.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "xa65 not found at %s (scripts/install-deps installs it)\n", xa.c_str());
        return 1;
    }

    char folder[] = "/tmp/kiln-asm6502-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    std::string dir = folder;
    std::string source = dir + "/bench.s", ourOut = dir + "/kiln.bin", xaOut = dir + "/xa.bin";
    std::string text = asm6502::BenchmarkSource(2026, lines);
    std::ofstream(source, std::ios::binary) << text;
    std::vector<std::string> ourRun = {ours, source, "-o", ourOut};
    std::vector<std::string> xaRun = {xa, "-C", "-o", xaOut, source};

    Seconds(ourRun);
    Seconds(xaRun);
    std::string ourBytes = ReadFile(ourOut), xaBytes = ReadFile(xaOut);
    long labels = std::count(text.begin(), text.end(), '\n') / 6;
    std::printf("source: %u lines, %ld labels, %zu bytes of code from $0200\n", lines, labels,
                xaBytes.size());
    if (ourBytes != xaBytes) {
        std::fprintf(stderr, "the outputs differ (%zu and %zu bytes); see %s\n", ourBytes.size(),
                     xaBytes.size(), dir.c_str());
        return 1;
    }

    std::vector<double> ourTimes, xaTimes, ratios;
    for (int i = 0; i < runs; ++i) {
        double a = Seconds(ourRun);
        double b = Seconds(xaRun);
        ourTimes.push_back(a);
        xaTimes.push_back(b);
        ratios.push_back(a / b);
    }
    std::printf("kiln-asm6502: median %.2f ms over %d runs\n", Median(ourTimes) * 1e3, runs);
    std::printf("xa -C:        median %.2f ms over %d runs\n", Median(xaTimes) * 1e3, runs);
    std::printf("RATIO kiln-asm6502/xa65 %.3f (median of the per-run ratios; below 1 is faster)\n",
                Median(ratios));
    for (const std::string& f : {source, ourOut, xaOut}) std::remove(f.c_str());
    rmdir(folder);
    return 0;
}
