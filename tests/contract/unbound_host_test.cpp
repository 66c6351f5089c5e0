// A process that supplies none of the host functions can still load the
// plug-in and ask its version: the host functions bind lazily, at first call.
#include "plugin.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

TEST(UnboundHost, LoadsLazilyAndAnswersTheVersion) {
    std::string error;
    Plugin plugin;
    ASSERT_TRUE(load_plugin(plugin, error)) << error;
    EXPECT_EQ(plugin.version(), 1);
}

TEST(UnboundHost, EagerBindingFailsOnAHostFunction) {
    // Shows the test means something: the plug-in really does leave the host
    // functions to the loading process.
    void* handle = dlopen(plugin_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        dlclose(handle);
    }
    ASSERT_EQ(handle, nullptr);
    EXPECT_NE(std::string(dlerror()).find("mi_"), std::string::npos);
}

} // namespace
