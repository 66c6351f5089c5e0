// The golden-vector digest. Every target (x86-64, i686 and x86-64 Windows
// under Wine, PowerPC under qemu) must reproduce this exact value.
#include "golden.h"
#include "plugin_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr uint64_t expected_digest = 0x3d37a73695fdaa2eull;

using GoldenTest = PluginTest;

TEST_F(GoldenTest, DigestMatchesOnEveryTarget) {
    EXPECT_EQ(golden::digest(plugin().shader), expected_digest)
        << std::hex << "got 0x" << golden::digest(plugin().shader);
}

TEST_F(GoldenTest, GeneratorCoversTheInterestingInputs) {
    int nan_dirs = 0, denormal_dirs = 0, infinite_params = 0, clip_on = 0;
    for (uint32_t i = 0; i < 20000; ++i) {
        const golden::Input in = golden::input(i);
        nan_dirs += std::isnan(in.dir.x) ? 1 : 0;
        denormal_dirs += std::fpclassify(in.dir.y) == FP_SUBNORMAL ? 1 : 0;
        infinite_params += std::isinf(in.params.amount) ? 1 : 0;
        clip_on += in.params.clip_outside == 1 ? 1 : 0;
    }
    EXPECT_GT(nan_dirs, 50);
    EXPECT_GT(denormal_dirs, 50);
    EXPECT_GT(infinite_params, 50);
    EXPECT_GT(clip_on, 5000);
}

} // namespace
