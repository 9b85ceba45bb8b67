#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property is a finding: say which, then abort so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    ((condition) ? void(0)                                                                                   \
                 : (std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__),   \
                    std::abort()))
