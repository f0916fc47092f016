// Generated 6502 sources for checking kiln-asm6502 against xa65 and for timing the two.
//
// Every source is valid for both assemblers and gives the same bytes with each: branches stay in
// range, zero-page operands below 256, and no line uses a form that only one of them knows. A seed
// gives the same source every time with the same build (the order in which a compiler evaluates
// the parts of an expression decides the order of the random draws).
#pragma once

#include <cstdint>
#include <string>

namespace asm6502 {

// A source of about `statements` statements that uses every instruction form: each mnemonic in
// each of its addressing modes, operands as numbers in every base, characters, labels defined
// above and below, equates known early and late, expressions with + - * / ( ) and < >, and the
// directives .byt/.byte/.asc/.word/.dsb, with varied case, spacing, colons and comments.
std::string RandomSource(uint32_t seed, unsigned int statements);

// The benchmark's program: `lines` lines from *=$0200 with a label every sixth line, filling most
// of the 64 KiB address space.
std::string BenchmarkSource(uint32_t seed, unsigned int lines);

}  // namespace asm6502
