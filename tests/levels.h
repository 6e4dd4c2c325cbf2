// The processor levels a test runs at: every level from scalar up to the
// detected one, so a level added to cpu::Level is picked up without edits.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cpu.h"
#include "test_hooks.h"

namespace vc15test {

inline std::vector<vc15::cpu::Level> SupportedLevels() {
    std::vector<vc15::cpu::Level> out;
    for (int l = 0; vc15::cpu::Supports(static_cast<vc15::cpu::Level>(l)); ++l)
        out.push_back(static_cast<vc15::cpu::Level>(l));
    return out;
}

inline std::string LevelName(vc15::cpu::Level l) {
    static const char* const kNames[] = {"Scalar", "Sse2", "Ssse3", "Avx2", "Avx512"};
    const auto i = static_cast<size_t>(l);
    return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "Level" + std::to_string(i);
}

// Runs body once per supported level with every kernel family switched to
// it, then puts the detected level back.
template <class Body>
void AtEveryLevel(Body body) {
    for (vc15::cpu::Level l : SupportedLevels()) {
        if (!vc15::cpu::ForceLevelForTesting(l)) ADD_FAILURE() << "level " << static_cast<int>(l) << " refused";
        SCOPED_TRACE(LevelName(l));
        body(l);
        if (testing::Test::HasFatalFailure()) break;
    }
    vc15::cpu::ForceLevelForTesting(vc15::cpu::Detected());
}

}  // namespace vc15test
