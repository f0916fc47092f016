#include "opcodes.h"

#include <array>

namespace asm6502 {

namespace {
constexpr unsigned char __ = kNoOpcode;
}

// Columns: implied, #imm, zp, zp,X, zp,Y, abs, abs,X, abs,Y, (zp,X), (zp),Y, (abs), relative.
// constexpr, so that the mnemonic index below is built at compile time by every compiler.
constexpr Instruction kInstructions[kInstructionCount] = {
    {"adc", {__, 0x69, 0x65, 0x75, __, 0x6D, 0x7D, 0x79, 0x61, 0x71, __, __}},
    {"and", {__, 0x29, 0x25, 0x35, __, 0x2D, 0x3D, 0x39, 0x21, 0x31, __, __}},
    {"asl", {0x0A, __, 0x06, 0x16, __, 0x0E, 0x1E, __, __, __, __, __}},
    {"bcc", {__, __, __, __, __, __, __, __, __, __, __, 0x90}},
    {"bcs", {__, __, __, __, __, __, __, __, __, __, __, 0xB0}},
    {"beq", {__, __, __, __, __, __, __, __, __, __, __, 0xF0}},
    {"bit", {__, __, 0x24, __, __, 0x2C, __, __, __, __, __, __}},
    {"bmi", {__, __, __, __, __, __, __, __, __, __, __, 0x30}},
    {"bne", {__, __, __, __, __, __, __, __, __, __, __, 0xD0}},
    {"bpl", {__, __, __, __, __, __, __, __, __, __, __, 0x10}},
    {"brk", {0x00, __, __, __, __, __, __, __, __, __, __, __}},
    {"bvc", {__, __, __, __, __, __, __, __, __, __, __, 0x50}},
    {"bvs", {__, __, __, __, __, __, __, __, __, __, __, 0x70}},
    {"clc", {0x18, __, __, __, __, __, __, __, __, __, __, __}},
    {"cld", {0xD8, __, __, __, __, __, __, __, __, __, __, __}},
    {"cli", {0x58, __, __, __, __, __, __, __, __, __, __, __}},
    {"clv", {0xB8, __, __, __, __, __, __, __, __, __, __, __}},
    {"cmp", {__, 0xC9, 0xC5, 0xD5, __, 0xCD, 0xDD, 0xD9, 0xC1, 0xD1, __, __}},
    {"cpx", {__, 0xE0, 0xE4, __, __, 0xEC, __, __, __, __, __, __}},
    {"cpy", {__, 0xC0, 0xC4, __, __, 0xCC, __, __, __, __, __, __}},
    {"dec", {__, __, 0xC6, 0xD6, __, 0xCE, 0xDE, __, __, __, __, __}},
    {"dex", {0xCA, __, __, __, __, __, __, __, __, __, __, __}},
    {"dey", {0x88, __, __, __, __, __, __, __, __, __, __, __}},
    {"eor", {__, 0x49, 0x45, 0x55, __, 0x4D, 0x5D, 0x59, 0x41, 0x51, __, __}},
    {"inc", {__, __, 0xE6, 0xF6, __, 0xEE, 0xFE, __, __, __, __, __}},
    {"inx", {0xE8, __, __, __, __, __, __, __, __, __, __, __}},
    {"iny", {0xC8, __, __, __, __, __, __, __, __, __, __, __}},
    {"jmp", {__, __, __, __, __, 0x4C, __, __, __, __, 0x6C, __}},
    {"jsr", {__, __, __, __, __, 0x20, __, __, __, __, __, __}},
    {"lda", {__, 0xA9, 0xA5, 0xB5, __, 0xAD, 0xBD, 0xB9, 0xA1, 0xB1, __, __}},
    {"ldx", {__, 0xA2, 0xA6, __, 0xB6, 0xAE, __, 0xBE, __, __, __, __}},
    {"ldy", {__, 0xA0, 0xA4, 0xB4, __, 0xAC, 0xBC, __, __, __, __, __}},
    {"lsr", {0x4A, __, 0x46, 0x56, __, 0x4E, 0x5E, __, __, __, __, __}},
    {"nop", {0xEA, __, __, __, __, __, __, __, __, __, __, __}},
    {"ora", {__, 0x09, 0x05, 0x15, __, 0x0D, 0x1D, 0x19, 0x01, 0x11, __, __}},
    {"pha", {0x48, __, __, __, __, __, __, __, __, __, __, __}},
    {"php", {0x08, __, __, __, __, __, __, __, __, __, __, __}},
    {"pla", {0x68, __, __, __, __, __, __, __, __, __, __, __}},
    {"plp", {0x28, __, __, __, __, __, __, __, __, __, __, __}},
    {"rol", {0x2A, __, 0x26, 0x36, __, 0x2E, 0x3E, __, __, __, __, __}},
    {"ror", {0x6A, __, 0x66, 0x76, __, 0x6E, 0x7E, __, __, __, __, __}},
    {"rti", {0x40, __, __, __, __, __, __, __, __, __, __, __}},
    {"rts", {0x60, __, __, __, __, __, __, __, __, __, __, __}},
    {"sbc", {__, 0xE9, 0xE5, 0xF5, __, 0xED, 0xFD, 0xF9, 0xE1, 0xF1, __, __}},
    {"sec", {0x38, __, __, __, __, __, __, __, __, __, __, __}},
    {"sed", {0xF8, __, __, __, __, __, __, __, __, __, __, __}},
    {"sei", {0x78, __, __, __, __, __, __, __, __, __, __, __}},
    {"sta", {__, __, 0x85, 0x95, __, 0x8D, 0x9D, 0x99, 0x81, 0x91, __, __}},
    {"stx", {__, __, 0x86, __, 0x96, 0x8E, __, __, __, __, __, __}},
    {"sty", {__, __, 0x84, 0x94, __, 0x8C, __, __, __, __, __, __}},
    {"tax", {0xAA, __, __, __, __, __, __, __, __, __, __, __}},
    {"tay", {0xA8, __, __, __, __, __, __, __, __, __, __, __}},
    {"tsx", {0xBA, __, __, __, __, __, __, __, __, __, __, __}},
    {"txa", {0x8A, __, __, __, __, __, __, __, __, __, __, __}},
    {"txs", {0x9A, __, __, __, __, __, __, __, __, __, __, __}},
    {"tya", {0x98, __, __, __, __, __, __, __, __, __, __, __}},
};

namespace {

// Three letters a-z as a number below 26^3.
constexpr int LetterKey(char a, char b, char c) { return ((a - 'a') * 26 + (b - 'a')) * 26 + (c - 'a'); }

// Every three-letter key maps to its instruction's index + 1, or 0: one load finds a mnemonic.
constexpr std::array<unsigned char, 26 * 26 * 26> MakeIndex() {
    std::array<unsigned char, 26 * 26 * 26> index{};
    for (int i = 0; i < kInstructionCount; ++i) {
        const char* n = kInstructions[i].name;
        index[LetterKey(n[0], n[1], n[2])] = (unsigned char)(i + 1);
    }
    return index;
}

constexpr auto kIndex = MakeIndex();

// The letter as 0-25 (either case), or -1.
inline int Letter(char c) {
    c = (char)(c | 0x20);
    return (c >= 'a' && c <= 'z') ? c - 'a' : -1;
}

}  // namespace

const Instruction* FindInstruction(const char* text, size_t length) {
    if (length != 3) return nullptr;
    int a = Letter(text[0]), b = Letter(text[1]), c = Letter(text[2]);
    if (a < 0 || b < 0 || c < 0) return nullptr;
    int found = kIndex[(a * 26 + b) * 26 + c];
    return found ? &kInstructions[found - 1] : nullptr;
}

}  // namespace asm6502
