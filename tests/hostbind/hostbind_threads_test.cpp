// Renderer threads make the first calls into a fresh DLL at the same time. A
// program of its own: where Wine cannot run threads, it is the one left out.
#include "golden.h"
#include "hostbind_fixture.h"

#include <atomic>
#include <thread>

namespace hostbind_test {
namespace {

TEST_F(HostBindTest, EightThreadsShareAFreshCache) {
    constexpr int thread_count = 8;
    constexpr uint32_t rays_per_thread = 2000;
    set_module_handle(this_executable());

    std::atomic<int> waiting{thread_count};
    std::vector<uint64_t> digests(thread_count);
    std::vector<std::thread> threads;
    const std::string output = stderr_of([&] {
        for (int i = 0; i < thread_count; ++i) {
            threads.emplace_back([&, i] {
                // Start together, so that the first calls race for the empty slots.
                waiting.fetch_sub(1);
                while (waiting.load() > 0) {
                    std::this_thread::yield();
                }
                digests[static_cast<size_t>(i)] = golden::digest(shader_, rays_per_thread);
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    });

    EXPECT_EQ(output, "");
    const std::vector<Lookup> lookups = lookup_recorder::take();
    EXPECT_GE(lookups.size(), 3u);
    EXPECT_LE(lookups.size(), 3u * thread_count);
    for (const Lookup& lookup : lookups) {
        EXPECT_EQ(lookup.module, this_executable());
    }
    const uint64_t one_thread_alone = golden::digest(shader_, rays_per_thread);
    for (uint64_t digest : digests) {
        EXPECT_EQ(digest, one_thread_alone);
    }
}

} // namespace
} // namespace hostbind_test
