// The Windows binding layer, through the built DLL: which names it looks up in
// which module, when, what it writes to standard error, and where the calls go.
// Every test loads a fresh copy of the DLL, so its module handle and cache
// start out empty.
#include "hostbind_fixture.h"

namespace hostbind_test {
namespace {

TEST_F(HostBindTest, BeforeAnyHandleEachEntryWarnsThenLooksUpWithHandleZero) {
    Shaded shaded{};
    const std::string first = stderr_of([&] { shaded = shade(); });
    EXPECT_EQ(first, null_handle_line + null_handle_line + null_handle_line);
    EXPECT_EQ(lookup_recorder::take(), lookups_of_a_traced_ray(nullptr));
    // Wine looks a name up in the main executable when the handle is 0, and
    // this executable exports the fake host functions.
    EXPECT_EQ(fake_host::calls().size(), 3u);
    EXPECT_EQ(shaded.result, 1);

    const std::string second = stderr_of([&] { shaded = shade(); });
    EXPECT_EQ(second, "");
    EXPECT_TRUE(lookup_recorder::take().empty());
    EXPECT_EQ(fake_host::calls().size(), 6u);
}

TEST_F(HostBindTest, AfterASuccessfulLookupCallsGoStraightToTheHost) {
    set_module_handle(this_executable());
    Shaded shaded{};
    EXPECT_EQ(stderr_of([&] { shaded = shade(); }), "");
    EXPECT_EQ(lookup_recorder::take(), lookups_of_a_traced_ray(this_executable()));
    EXPECT_EQ(shaded.result, fake_host::Script{}.trace_result);
    EXPECT_TRUE(same_color(shaded.color, fake_host::Script{}.trace_color));

    EXPECT_EQ(stderr_of([&] { shaded = shade(); }), "");
    EXPECT_TRUE(lookup_recorder::take().empty());
    EXPECT_EQ(fake_host::calls().size(), 6u);
    EXPECT_EQ(other_calls(), (std::vector<int>{0, 0, 0}));
}

TEST_F(HostBindTest, EachNewHandleMakesTheNextCallsLookUpInThatModule) {
    set_module_handle(this_executable());
    shade();
    lookup_recorder::take();

    set_module_handle(other_host_);
    Shaded shaded{};
    EXPECT_EQ(stderr_of([&] { shaded = shade(); }), "");
    EXPECT_EQ(lookup_recorder::take(), lookups_of_a_traced_ray(other_host_));
    EXPECT_EQ(other_calls(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(shaded.result, other_host::trace_result);
    EXPECT_TRUE(same_color(shaded.color, other_host::trace_color));
    EXPECT_EQ(fake_host::calls().size(), 3u) << "only the first ray reached this executable";

    // The same handle again still empties the cache.
    set_module_handle(other_host_);
    shade();
    EXPECT_EQ(lookup_recorder::take(), lookups_of_a_traced_ray(other_host_));
    EXPECT_EQ(other_calls(), (std::vector<int>{1, 1, 1}));
}

TEST_F(HostBindTest, AModuleWithoutTheFunctionsIsReportedOnEveryCall) {
    // The plug-in exports none of the host functions either. In a 64-bit
    // process it loads above 4 GiB, so its line shows a truncated handle.
    const struct {
        const char* what;
        HMODULE module;
    } modules[] = {{"kernel32.dll", GetModuleHandleA("kernel32.dll")}, {"the plug-in", plugin_}};
    for (const auto& host : modules) {
        SCOPED_TRACE(host.what);
        set_module_handle(host.module);
        std::string expected;
        for (const char* name : traced_ray_calls) {
            expected += failure_line(name, host.module, proc_not_found);
        }
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round == 0 ? "first ray" : "second ray");
            Shaded shaded{};
            EXPECT_EQ(stderr_of([&] { shaded = shade(); }), expected);
            EXPECT_EQ(lookup_recorder::take(), lookups_of_a_traced_ray(host.module));
            EXPECT_EQ(shaded.result, 0) << "a failed lookup was reported as a traced ray";
            EXPECT_TRUE(same_color(shaded.color, untouched_color));
        }
    }
    EXPECT_TRUE(fake_host::calls().empty());
}

} // namespace
} // namespace hostbind_test
