// Loads the plug-in once per test program and resets the fake host per test.
#ifndef KELMORA_TESTS_PLUGIN_FIXTURE_H
#define KELMORA_TESTS_PLUGIN_FIXTURE_H

#include "fake_host.h"
#include "plugin.h"

#include <gtest/gtest.h>

class PluginTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        loaded_ = load_plugin(plugin_, error);
        load_error_ = error;
    }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << plugin_path() << ": " << load_error_;
        fake_host::reset();
    }
    static const Plugin& plugin() { return plugin_; }

  private:
    static inline Plugin plugin_;
    static inline bool loaded_ = false;
    static inline std::string load_error_;
};

#endif
