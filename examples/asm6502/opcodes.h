// The official instruction set of the NMOS 6502: 56 mnemonics, each with the opcode of every
// addressing mode it has.
#pragma once

#include <cstddef>

namespace asm6502 {

enum Mode : unsigned char {
    kImplied,    // no operand; also the accumulator form of ASL, LSR, ROL and ROR
    kImmediate,  // #value
    kZeroPage,
    kZeroPageX,
    kZeroPageY,
    kAbsolute,
    kAbsoluteX,
    kAbsoluteY,
    kIndirectX,  // (zp,X)
    kIndirectY,  // (zp),Y
    kIndirect,   // (abs), JMP only
    kRelative,   // branches
    kModeCount
};

// No official instruction has the opcode $FF, so it marks a mode that a mnemonic lacks.
constexpr unsigned char kNoOpcode = 0xFF;

struct Instruction {
    char name[4];  // lower case
    unsigned char opcode[kModeCount];

    bool Has(Mode mode) const { return opcode[mode] != kNoOpcode; }
};

constexpr int kInstructionCount = 56;

// The instruction table, in alphabetical order.
extern const Instruction kInstructions[kInstructionCount];

// The instruction whose mnemonic is the three letters at text (either case), or null.
const Instruction* FindInstruction(const char* text, size_t length);

// Bytes of an instruction in the mode, opcode included.
inline unsigned int InstructionSize(Mode mode) {
    switch (mode) {
    case kImplied: return 1;
    case kAbsolute:
    case kAbsoluteX:
    case kAbsoluteY:
    case kIndirect: return 3;
    default: return 2;
    }
}

}  // namespace asm6502
