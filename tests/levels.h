// The kernel levels a test runs at: every level of this build's ladder from
// scalar up to the detected one, so a level added to the ladder is picked up
// without edits.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/kernel_table.h"
#include "test_hooks.h"

namespace vc15test {

inline std::vector<vc15::cpu::Level> SupportedLevels() {
    std::vector<vc15::cpu::Level> out;
    for (vc15::cpu::Level l : vc15::kernels::Levels())
        if (vc15::kernels::Supports(l)) out.push_back(l);
    return out;
}

inline std::string LevelName(vc15::cpu::Level l) { return vc15::cpu::Name(l); }

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
    vc15::cpu::ForceLevelForTesting(vc15::kernels::Detected());
}

}  // namespace vc15test
