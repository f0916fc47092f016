#include "platform/ui/key_reader.h"

#include <cerrno>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace kiln {

namespace {

// How long the bytes of one escape sequence may straggle: they are written together, so anything
// later is a key of its own.
constexpr int kSequenceGapMs = 50;

bool ReadByte(int fd, char& c) {
    for (;;) {
        ssize_t n = read(fd, &c, 1);
        if (n == 1) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

bool ByteFollows(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kSequenceGapMs) > 0;
}

// The key of a control sequence: ESC [ or ESC O, parameters, then a final byte 0x40-0x7E.
Key ReadSequence(int fd) {
    std::string params;
    char c;
    while (ReadByte(fd, c)) {
        unsigned char u = (unsigned char)c;
        if (u < 0x40 || u > 0x7E) {
            params += c;
            continue;
        }
        switch (c) {
        case 'C': return {KeyKind::Right, 0};
        case 'D': return {KeyKind::Left, 0};
        case 'H': return {KeyKind::Home, 0};
        case 'F': return {KeyKind::End, 0};
        case '~':
            if (params == "1" || params == "7") return {KeyKind::Home, 0};
            if (params == "4" || params == "8") return {KeyKind::End, 0};
            if (params == "3") return {KeyKind::Delete, 0};
            return {KeyKind::Other, 0};
        default: return {KeyKind::Other, 0};
        }
    }
    return {KeyKind::EndOfInput, 0};
}

}  // namespace

Key ReadKey(int fd) {
    char c;
    if (!ReadByte(fd, c)) return {KeyKind::EndOfInput, 0};
    switch (c) {
    case '\r':
    case '\n': return {KeyKind::Enter, 0};
    case '\t': return {KeyKind::Tab, 0};
    case 0x7F:
    case 0x08: return {KeyKind::Backspace, 0};
    case 0x01: return {KeyKind::Home, 0};
    case 0x05: return {KeyKind::End, 0};
    case 0x04: return {KeyKind::EndOfInput, 0};
    case 0x15: return {KeyKind::KillLine, 0};
    case 0x1B: {
        if (!ByteFollows(fd)) return {KeyKind::Escape, 0};
        char next;
        if (!ReadByte(fd, next)) return {KeyKind::Escape, 0};
        if (next == '[' || next == 'O') return ReadSequence(fd);
        return {KeyKind::Other, 0};  // Alt with a key
    }
    default:
        if ((unsigned char)c < 0x20) return {KeyKind::Other, 0};
        return {KeyKind::Text, c};
    }
}

}  // namespace kiln
