// One libFuzzer target: QUORVALEN_FUZZ_TARGET names the check it runs. A broken rule is
// printed and the process aborts, so that libFuzzer saves the input that broke it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/fuzz_checks.h"

namespace {

Finding (*findCheck())(const uint8_t*, std::size_t) {
    for (const FuzzTarget& target : FUZZ_TARGETS) {
        if (std::strcmp(target.name, QUORVALEN_FUZZ_TARGET) == 0) return target.check;
    }
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const auto check = findCheck();
    const Finding finding = check(data, size);
    if (!finding.empty()) {
        std::fprintf(stderr, "finding in %s: %s\n", QUORVALEN_FUZZ_TARGET, finding.c_str());
        std::abort();
    }
    return 0;
}
