// A fresh copy of the built DLL per test, and what the tests need to watch it:
// its lookups, its standard error and a second host module.
#ifndef KELMORA_TESTS_HOSTBIND_FIXTURE_H
#define KELMORA_TESTS_HOSTBIND_FIXTURE_H

#include "fake_host.h"
#include "hostbind.h"
#include "lookup_recorder.h"
#include "other_host.h"
#include "plugin.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

using lookup_recorder::Lookup;

// In Lookup's own namespace, where GoogleTest looks for it.
namespace lookup_recorder {
inline void PrintTo(const Lookup& lookup, std::ostream* os) {
    *os << lookup.name << " in " << lookup.module;
}
} // namespace lookup_recorder

namespace hostbind_test {

inline const std::string null_handle_line = "DYNLOAD: dl_handle null\n";

// ERROR_PROC_NOT_FOUND, as GetLastError gives it after a failed GetProcAddress.
inline constexpr int proc_not_found = 127;

// The handle is printed as eight hex digits: a 64-bit handle by its low 32 bits.
inline std::string failure_line(const char* name, HMODULE module, int error) {
    std::ostringstream line;
    line << "dlsym failed on \"" << name << "\" (handle: " << std::hex << std::setfill('0')
         << std::setw(8) << static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)) << std::dec
         << " error: " << error << ")\n";
    return line.str();
}

// A traced ray calls the three host functions in this order.
inline const char* const traced_ray_calls[] = {"mi_vector_to_camera", "mi_vector_from_camera",
                                               "mi_trace_eye"};

inline std::vector<Lookup> lookups_of_a_traced_ray(HMODULE module) {
    std::vector<Lookup> lookups;
    for (const char* name : traced_ray_calls) {
        lookups.push_back({module, name});
    }
    return lookups;
}

// Redirects descriptor 2, which the DLL's standard error writes to (both use
// the one C runtime, msvcrt), into a temporary file while it lives.
class StderrCapture {
  public:
    StderrCapture() {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "kel", 0, path_);
        std::fflush(stderr);
        file_ = _open(path_, _O_WRONLY | _O_TRUNC | _O_TEXT);
        saved_ = _dup(2);
        _dup2(file_, 2);
    }
    ~StderrCapture() {
        restore();
        std::remove(path_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture and returns everything written, line ends as "\n".
    std::string text() {
        restore();
        std::ifstream in(path_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    void restore() {
        if (saved_ < 0) {
            return;
        }
        std::fflush(stderr);
        _dup2(saved_, 2);
        _close(saved_);
        _close(file_);
        saved_ = -1;
    }
    char path_[MAX_PATH] = {};
    int file_ = -1;
    int saved_ = -1;
};

template <typename Action> std::string stderr_of(Action action) {
    StderrCapture capture;
    action();
    return capture.text();
}

template <typename Function> Function export_of(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

// Nothing the shader or a host function writes looks like this.
inline constexpr mi_color untouched_color = {-3.0f, -5.0f, -7.0f, -9.0f};

inline bool same_color(const mi_color& a, const mi_color& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Shaded {
    mi_boolean result;
    mi_color color;
};

class HostBindTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetModuleHandleA("kelmora.dll"), nullptr) << "the plug-in's state is not fresh";
        plugin_ = LoadLibraryA(plugin_path().c_str());
        ASSERT_NE(plugin_, nullptr) << plugin_path() << ": error " << GetLastError();
        shader_ = export_of<kelmora_shader_fn>(plugin_, "kelmora");
        set_module_handle_ = export_of<kelmora_set_module_handle_fn>(plugin_, "miSetModuleHandle");
        ASSERT_NE(shader_, nullptr);
        ASSERT_NE(set_module_handle_, nullptr);
        ASSERT_TRUE(lookup_recorder::install(plugin_));

        other_host_ = LoadLibraryA("kelmora_other_host.dll");
        ASSERT_NE(other_host_, nullptr) << "error " << GetLastError();
        other_host_calls_ = export_of<other_host::calls_fn>(other_host_, "other_host_calls");
        ASSERT_NE(other_host_calls_, nullptr);
        other_calls(); // start counting from zero
        fake_host::reset();
    }
    void TearDown() override {
        if (plugin_ != nullptr) {
            FreeLibrary(plugin_);
        }
        if (other_host_ != nullptr) {
            FreeLibrary(other_host_);
        }
    }

    void set_module_handle(HMODULE module) { EXPECT_EQ(set_module_handle_(module), 0); }

    // One eye ray through the image centre: the shader makes all three host calls.
    Shaded shade() {
        const mi_camera camera = {0, 1.0f, 2.0f, 1.0f};
        mi_state state{};
        state.camera = &camera;
        state.org = {1.0f, 2.0f, 3.0f};
        state.dir = {0.0f, 0.0f, -1.0f};
        const kelmora_params params = {0.5f, 1.0f, 1.0f, 1.0f, 0};
        Shaded shaded{0, untouched_color};
        shaded.result = shader_(&shaded.color, &state, &params);
        return shaded;
    }

    // Calls each of the other module's functions received since the last query.
    std::vector<int> other_calls() {
        return {other_host_calls_(other_host::to_camera),
                other_host_calls_(other_host::from_camera),
                other_host_calls_(other_host::trace_eye)};
    }

    static HMODULE this_executable() { return GetModuleHandleA(nullptr); }

    HMODULE plugin_ = nullptr;
    HMODULE other_host_ = nullptr;
    kelmora_shader_fn shader_ = nullptr;
    kelmora_set_module_handle_fn set_module_handle_ = nullptr;
    other_host::calls_fn other_host_calls_ = nullptr;
};

} // namespace hostbind_test

#endif
