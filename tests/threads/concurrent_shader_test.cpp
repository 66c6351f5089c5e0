// The shader keeps no state, so any number of host threads may call it at
// once. Each thread runs the golden stream through the plug-in (the fake
// host's script and log are per thread) and must get what one thread alone
// gets. The threads also make the process's very first calls into the
// plug-in, so the host functions are bound lazily while they race.
#include "golden.h"
#include "plugin_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int thread_count = 4;
constexpr uint32_t inputs_per_thread = 20000;

using ConcurrentShaderTest = PluginTest;

TEST_F(ConcurrentShaderTest, EveryThreadGetsTheSingleThreadResults) {
    std::atomic<int> waiting{thread_count};
    std::vector<uint64_t> digests(thread_count);
    std::vector<int32_t> versions(thread_count);
    std::vector<std::thread> threads;
    for (int i = 0; i < thread_count; ++i) {
        threads.emplace_back([&, i] {
            // Start together, so the first calls overlap.
            waiting.fetch_sub(1);
            while (waiting.load() > 0) {
                std::this_thread::yield();
            }
            digests[static_cast<size_t>(i)] = golden::digest(plugin().shader, inputs_per_thread);
            versions[static_cast<size_t>(i)] = plugin().version();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    const uint64_t alone = golden::digest(plugin().shader, inputs_per_thread);
    for (int i = 0; i < thread_count; ++i) {
        EXPECT_EQ(digests[static_cast<size_t>(i)], alone) << "thread " << i;
        EXPECT_EQ(versions[static_cast<size_t>(i)], 1) << "thread " << i;
    }
}

} // namespace
