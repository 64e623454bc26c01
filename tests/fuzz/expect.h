// A property a fuzz target checks: a violation stops the run with the input that caused it.
#pragma once

#include <cstdlib>

inline void Expect(bool holds) {
    if (!holds) {
        std::abort();
    }
}
