// Whole-process wall time of kiln-asm6502 against every installed peer assembler on one generated
// program, translated into each peer's dialect.
//
//   kiln-asm6502-bench [--runs N] [--lines N] [--asm PATH]
//
// For each size (24,000 and 240,000 lines, or --lines N) it writes the program (a label every sixth
// line, the origin back at $0200 every 24,000 lines), translates it for xa65 (xa), 64tass, dasm,
// acme and ca65 + ld65, checks that every peer gives exactly kiln-asm6502's bytes, then runs all of
// them in turn --runs times (15 by default; 3 for a peer whose first run took over 5 s), each round
// starting with another program, and prints the median times and, per peer, the median of the
// per-round time ratios (kiln-asm6502 / peer; below 1 means kiln-asm6502 is faster). A peer that is
// not installed, cannot take the size (acme writes at most 64 KiB) or fails is left out with a
// message. Last comes kiln-asm6502's time per line at each size. Build it with the release preset.
#include "random_source.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Command = std::vector<std::string>;

// Runs a program with its output thrown away; true when it exits with status 0.
bool Run(const Command& args) {
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
    if (failed) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

// The wall time of the commands run one after the other, or a negative value when one fails.
double Seconds(const std::vector<Command>& commands) {
    double start = Now();
    for (const Command& c : commands)
        if (!Run(c)) return -1;
    return Now() - start;
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

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Rewrites the benchmark program line by line. The program uses few forms: comments, "*=$0200",
// "name[:] lda #$xx", and indented instructions and .byt/.word data.
std::string EachLine(const std::string& text, const std::function<std::string(const std::string&)>& edit) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out += edit(line) + "\n";
    return out;
}

void Replace(std::string& line, const std::string& from, const std::string& to) {
    size_t at = line.find(from);
    if (at != std::string::npos) line.replace(at, from.size(), to);
}

bool IsOrigin(const std::string& line) { return line == "*=$0200"; }

// 64tass writes one image: each stretch is placed behind the one before with .logical.
std::string For64tass(const std::string& text) {
    bool first = true;
    return EachLine(text,
                    [&first](const std::string& line) {
                        if (IsOrigin(line)) {
                            std::string head = first ? "*=$0000" : "        .here";
                            first = false;
                            return head + "\n        .logical $0200";
                        }
                        std::string out = line;
                        Replace(out, ".byt ", ".text ");  // .byte takes no texts
                        return out;
                    }) +
           "        .here\n";
}

// dasm: the same with rorg; brackets group in expressions.
std::string ForDasm(const std::string& text) {
    bool first = true;
    return "        processor 6502\n" + EachLine(text, [&first](const std::string& line) {
               if (IsOrigin(line)) {
                   std::string out = first ? "        org $0200" : "        rorg $0200";
                   first = false;
                   return out;
               }
               std::string out = line;
               Replace(out, ".byt ", "dc.b ");
               Replace(out, ".word ", "dc.w ");
               size_t group = out.find("#<(");
               if (group != std::string::npos) {
                   out[group + 2] = '[';
                   out[out.rfind(')')] = ']';
               }
               return out;
           });
}

std::string ForAcme(const std::string& text) {
    return EachLine(text, [](const std::string& line) {
        std::string out = line;
        if (out.find(".byt ") != std::string::npos) {
            Replace(out, ".byt ", "!byte ");
            Replace(out, ", \"", " : !text \"");  // !byte takes no texts
        }
        Replace(out, ".word ", "!word ");
        return out;
    });
}

// ca65 wants a colon behind every label and .org for the origin.
std::string ForCa65(const std::string& text) {
    return EachLine(text, [](const std::string& line) {
        if (IsOrigin(line)) return std::string(".org $0200");
        if (line.empty() || !(std::isalpha((unsigned char)line[0]) || line[0] == '_')) return line;
        size_t space = line.find(' ');
        if (space == std::string::npos || line[space - 1] == ':') return line;
        return line.substr(0, space) + ":" + line.substr(space);
    });
}

struct Peer {
    std::string name;
    std::string program;  // the first program it runs, which must be installed
    std::function<std::string(const std::string&)> translate;
    // The commands that assemble source into out; dir holds any file they need.
    std::function<std::vector<Command>(const std::string& source, const std::string& out,
                                       const std::string& dir)>
        commands;
    size_t maxOutput;  // the largest output it can write
};

std::vector<Peer> Peers() {
    auto same = [](const std::string& text) { return text; };
    return {
        {"xa65", "/usr/bin/xa", same,
         [](const std::string& s, const std::string& o, const std::string&) {
             return std::vector<Command>{{"/usr/bin/xa", "-C", "-o", o, s}};
         },
         SIZE_MAX},
        {"64tass", "/usr/bin/64tass", For64tass,
         [](const std::string& s, const std::string& o, const std::string&) {
             return std::vector<Command>{
                 {"/usr/bin/64tass", "-q", "-b", "-f", "-Wno-wrap-pc", "-Wno-wrap-mem", "-o", o, s}};
         },
         SIZE_MAX},
        {"dasm", "/usr/bin/dasm", ForDasm,
         [](const std::string& s, const std::string& o, const std::string&) {
             return std::vector<Command>{{"/usr/bin/dasm", s, "-o" + o, "-f3"}};
         },
         SIZE_MAX},
        {"acme", "/usr/bin/acme", ForAcme,
         [](const std::string& s, const std::string& o, const std::string&) {
             return std::vector<Command>{{"/usr/bin/acme", "-f", "plain", "-o", o, s}};
         },
         0x10000},
        {"ca65+ld65", "/usr/bin/ca65", ForCa65,
         [](const std::string& s, const std::string& o, const std::string& dir) {
             return std::vector<Command>{
                 {"/usr/bin/ca65", "-o", dir + "/ca65.o", s},
                 {"/usr/bin/ld65", "-C", dir + "/ld65.cfg", "-o", o, dir + "/ca65.o"}};
         },
         SIZE_MAX},
    };
}

struct Contender {
    std::string name;
    std::vector<Command> commands;
    int runs;
    std::vector<double> times;
};

// Times kiln-asm6502 and the peers on a program of `lines` lines; the time per line of
// kiln-asm6502, or a negative value when it failed.
double Measure(const std::string& ours, unsigned int lines, int runs, const std::string& dir) {
    std::string text = asm6502::BenchmarkSource(2026, lines);
    std::string source = dir + "/bench.s", out = dir + "/kiln.bin";
    WriteFile(source, text);
    WriteFile(dir + "/ld65.cfg",
              "MEMORY { RAM: start = $0200, size = $1000000, file = %O; }\n"
              "SEGMENTS { CODE: load = RAM, type = rw; }\n");
    std::vector<Contender> contenders = {{"kiln-asm6502", {{ours, source, "-o", out}}, runs, {}}};
    if (Seconds(contenders[0].commands) < 0) {
        std::fprintf(stderr, "kiln-asm6502 failed on %s\n", source.c_str());
        return -1;
    }
    std::string expected = ReadFile(out);
    long labels = std::count(text.begin(), text.end(), '\n') / 6;
    std::printf("\n%u lines, about %ld labels, %zu bytes of code\n", lines, labels, expected.size());

    for (const Peer& peer : Peers()) {
        if (access(peer.program.c_str(), X_OK) != 0) {
            std::printf("  %-13s not installed: left out\n", peer.name.c_str());
            continue;
        }
        if (expected.size() > peer.maxOutput) {
            std::printf("  %-13s writes at most %zu bytes: left out\n", peer.name.c_str(), peer.maxOutput);
            continue;
        }
        std::string peerSource = dir + "/" + peer.name + ".s", peerOut = dir + "/" + peer.name + ".bin";
        WriteFile(peerSource, peer.translate(text));
        std::vector<Command> commands = peer.commands(peerSource, peerOut, dir);
        double first = Seconds(commands);
        if (first < 0) {
            std::printf("  %-13s failed on this program: left out\n", peer.name.c_str());
            continue;
        }
        if (ReadFile(peerOut) != expected) {
            std::printf("  %-13s gives other bytes (see %s): left out\n", peer.name.c_str(), peerOut.c_str());
            continue;
        }
        contenders.push_back({peer.name, commands, first > 5 ? std::min(runs, 3) : runs, {}});
    }

    for (int round = 0; round < runs; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            Contender& c = contenders[(i + (size_t)round) % contenders.size()];
            if ((int)c.times.size() < c.runs) c.times.push_back(Seconds(c.commands));
        }
    }
    const std::vector<double>& mine = contenders[0].times;
    double ourMedian = Median(mine);
    std::printf("  %-13s median %9.2f ms over %d runs\n", "kiln-asm6502", ourMedian * 1e3, runs);
    for (size_t i = 1; i < contenders.size(); ++i) {
        const Contender& c = contenders[i];
        std::vector<double> ratios;
        for (size_t r = 0; r < c.times.size(); ++r) ratios.push_back(mine[r] / c.times[r]);
        std::printf("  %-13s median %9.2f ms over %d runs   RATIO kiln-asm6502/%s %.3f\n", c.name.c_str(),
                    Median(c.times) * 1e3, (int)c.times.size(), c.name.c_str(), Median(ratios));
    }
    return ourMedian / lines;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    std::vector<unsigned int> sizes = {24000, 240000};
    std::string ours = KILN_ASM6502_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--lines") == 0)
            sizes = {(unsigned int)std::max(10, std::atoi(argv[i + 1]))};
        else if (std::strcmp(argv[i], "--asm") == 0)
            ours = argv[i + 1];
    }
    char folder[] = "/tmp/kiln-asm6502-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    std::string dir = folder;

    std::vector<double> perLine;
    for (unsigned int lines : sizes) {
        double t = Measure(ours, lines, runs, dir);
        if (t < 0) return 1;
        perLine.push_back(t);
    }
    std::printf("\nkiln-asm6502 per line:");
    for (size_t i = 0; i < sizes.size(); ++i)
        std::printf("  %.3f us at %u lines", perLine[i] * 1e6, sizes[i]);
    if (perLine.size() > 1) std::printf("  (last/first %.3f)", perLine.back() / perLine.front());
    std::printf("\n");
    for (const char* name : {"bench.s", "kiln.bin", "ld65.cfg", "ca65.o"})
        std::remove((dir + "/" + name).c_str());
    for (const Peer& peer : Peers())
        for (const char* ext : {".s", ".bin"}) std::remove((dir + "/" + peer.name + ext).c_str());
    rmdir(folder);
    return 0;
}
