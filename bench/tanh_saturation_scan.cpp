// Finds where this C library's double-precision tanh starts returning exactly 1.0, and
// checks that it stays 1.0 from there on: the rectangle series skips tanh from that
// argument on. glibc evaluates tanh for 1 <= |x| < 22 as 1 - 2 / (expm1(2|x|) + 2), and
// that rounds to 1.0 once 2 / (expm1(2|x|) + 2) is at most 2^-54 (half the spacing of
// the doubles just below 1.0; a tie goes to the even 1.0), near x = 27.5 ln 2 = 19.06.
// Each step of that formula is a rounded operation that keeps or reverses order, so the
// result is 1.0 for every x beyond the first x that gives 1.0, as long as expm1 does not
// decrease; this program checks that too, every double of a window around the point,
// and a dense sample of the rest of the range up to 22.
//
// Run it with and without the library's FMA variants (GLIBC_TUNABLES=
// glibc.cpu.hwcaps=-FMA,-AVX2_Usable,-FMA_Usable), since glibc picks expm1 by processor.
// Exits 1 when any check fails.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/circularize.h"

namespace {

uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

double fromBits(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// The smallest double in [low, high] with tanh(x) == 1.0, found by bisection on the bit
// patterns (positive doubles order as their bits do); the checks below make sure that
// the answer is not an accident of a non-monotone stretch.
double firstSaturated(double low, double high) {
    uint64_t below = bitsOf(low);  // tanh < 1 here
    uint64_t above = bitsOf(high); // tanh == 1 here
    while (above - below > 1) {
        const uint64_t middle = below + (above - below) / 2;
        if (std::tanh(fromBits(middle)) == 1.0) {
            above = middle;
        } else {
            below = middle;
        }
    }
    return fromBits(above);
}

struct Failures {
    uint64_t count = 0;
    double first = 0.0;

    void check(bool holds, double x) {
        if (holds) return;
        if (count++ == 0) first = x;
    }
};

bool report(const char* what, uint64_t checked, const Failures& failures) {
    std::printf("%-58s %12" PRIu64 " doubles, %" PRIu64 " failures", what, checked, failures.count);
    if (failures.count > 0) std::printf(" (first at %.17g)", failures.first);
    std::printf("\n");
    return failures.count == 0;
}

// Every double within `ulps` of x0 either way: those from x0 on give +-1.0 exactly, those
// below give less; expm1(2x) never decreases.
bool checkWindow(double x0, uint64_t ulps) {
    Failures tanhFailures;
    Failures monotoneFailures;
    double previousExpm1 = -1.0;
    const uint64_t start = bitsOf(x0) - ulps;
    for (uint64_t bits = start; bits <= bitsOf(x0) + ulps; ++bits) {
        const double x = fromBits(bits);
        const bool saturated = bits >= bitsOf(x0);
        tanhFailures.check((std::tanh(x) == 1.0) == saturated && (std::tanh(-x) == -1.0) == saturated, x);
        const double e = std::expm1(2.0 * x);
        monotoneFailures.check(e >= previousExpm1, x);
        previousExpm1 = e;
    }
    bool ok = report("window: tanh(+-x) == +-1.0 exactly from x0 on", 2 * ulps + 1, tanhFailures);
    ok = report("window: expm1(2x) never decreases", 2 * ulps + 1, monotoneFailures) && ok;
    return ok;
}

// Doubles of [x0, 22] drawn uniformly by bit pattern, and a sweep with a fixed stride.
bool checkRange(double x0, uint64_t samples) {
    const uint64_t low = bitsOf(x0);
    const uint64_t high = bitsOf(22.0);
    std::mt19937_64 random(19);
    std::uniform_int_distribution<uint64_t> pattern(low, high);
    Failures failures;
    for (uint64_t i = 0; i < samples; ++i) {
        const double x = fromBits(pattern(random));
        failures.check(std::tanh(x) == 1.0 && std::tanh(-x) == -1.0, x);
    }
    bool ok = report("random sample of [x0, 22]", samples, failures);
    Failures sweepFailures;
    const uint64_t stride = (high - low) / samples + 1;
    uint64_t swept = 0;
    for (uint64_t bits = low; bits <= high; bits += stride, ++swept) {
        sweepFailures.check(std::tanh(fromBits(bits)) == 1.0, fromBits(bits));
    }
    return report("fixed-stride sweep of [x0, 22]", swept, sweepFailures) && ok;
}

}  // namespace

int main() {
    const double x0 = firstSaturated(19.0, 20.0);
    std::printf("first double with tanh(x) == 1.0: %.17g (%a); 27.5 ln 2 rounded: %.17g\n", x0, x0,
                27.5 * std::log(2.0));
    std::printf("its predecessor: %.17g gives 1 - %.3g\n", std::nextafter(x0, 0.0),
                1.0 - std::tanh(std::nextafter(x0, 0.0)));
    std::printf("threshold used by the series: %.17g (%a)\n", TANH_SATURATED, TANH_SATURATED);
    bool ok = TANH_SATURATED >= x0;
    if (!ok) std::printf("FAIL: the threshold lies below the first saturated double\n");
    ok = checkWindow(x0, 4'000'000) && ok;
    ok = checkRange(x0, 100'000'000) && ok;
    std::printf(ok ? "all checks passed\n" : "CHECKS FAILED\n");
    return ok ? 0 : 1;
}
