#include <kiln/util/size_format.h>

#include <cmath>
#include <cstdint>
#include <iterator>

namespace {

unsigned long Limit(unsigned long limit) {
    if (limit > 0xFFFFFFFFul) return 0xFFFFFFFFul;
    return limit == 0 ? 1 : limit;
}

constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};

}  // namespace

unsigned long GetSizeValiable(ULONGLONG size, unsigned long limit, unsigned long& shift,
                              unsigned long& remainder) {
    const uint64_t below = Limit(limit);
    uint64_t value = size;
    shift = 0;
    while (value >= below) {
        shift += 10;
        value >>= 10;
    }
    // A value of 0 may have needed more than 64 bits of shifting.
    const uint64_t kept = shift < 64 ? value << shift : 0;
    remainder = (uint32_t)(size - kept);
    return (uint32_t)value;
}

double GetSizeValiableDouble(double size, unsigned long limit, int minSteps, unsigned long& shift) {
    const double below = (double)Limit(limit);
    double x = size;
    shift = 0;
    if (!std::isfinite(x)) return x;
    for (int steps = 0; !(x < below && steps >= minSteps); ++steps) {
        if (x == 0.0) {
            // Nothing left to scale: the remaining steps only count.
            shift += 10ul * (unsigned long)(minSteps - steps);
            break;
        }
        shift += 10;
        x *= 0.0009765625;
    }
    return x;
}

CString FormatSizeValiable(ULONGLONG size, unsigned long limit, const char* format, int minSteps,
                           const char*) {
    unsigned long shift = 0;
    const double x = GetSizeValiableDouble((double)size, limit, minSteps, shift);
    const unsigned long index = shift / 10;
    CString text;
    if (format != nullptr) text.Format(format, x, index < std::size(kUnits) ? kUnits[index] : "");
    return text;
}
