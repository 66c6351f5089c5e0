// Fuzzes the built plug-in binary: the input bytes become the host's records,
// the camera-space direction the host hands back, and the host's trace
// result. For any input the shader must keep to its contract with the host:
//  - it calls mi_vector_to_camera first, on the state's direction;
//  - a clipped ray makes no other call, returns 0 and has a zero colour;
//  - a traced ray calls mi_vector_from_camera in place, then mi_trace_eye
//    from the stored origin along that vector, and passes its result through;
//  - it changes nothing in the state, camera or parameters.
// Each record is its own heap block, so AddressSanitizer sees any read past it.
#include "fake_host.h"
#include "fuzz_check.h"
#include "plugin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The input bytes, in this order; a short input is padded with zeros.
struct FuzzInput {
    mi_vector camera_dir; // what mi_vector_to_camera writes
    mi_vector org;
    mi_vector dir; // the state's own direction; only its address matters
    mi_camera camera;
    kelmora_params params;
    mi_boolean trace_result;
    mi_color trace_color;
};

Plugin plugin;

template <typename T> bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

FuzzInput decode(const uint8_t* data, size_t size) {
    FuzzInput in;
    std::memset(&in, 0, sizeof in);
    std::memcpy(&in, data, size < sizeof in ? size : sizeof in);
    return in;
}

struct Records {
    std::unique_ptr<mi_state> state = std::make_unique<mi_state>();
    std::unique_ptr<mi_camera> camera;
    std::unique_ptr<kelmora_params> params;
    std::unique_ptr<mi_color> result = std::make_unique<mi_color>();
};

Records records_for(const FuzzInput& in) {
    Records r;
    r.camera = std::make_unique<mi_camera>(in.camera);
    r.params = std::make_unique<kelmora_params>(in.params);
    r.state->camera = r.camera.get();
    r.state->org = in.org;
    r.state->dir = in.dir;
    *r.result = {-1.0f, -2.0f, -3.0f, -4.0f};
    return r;
}

void check_clipped(const Records& r, mi_boolean returned) {
    CHECK(r.params->clip_outside == 1);
    CHECK(returned == 0);
    const mi_color zero = {0.0f, 0.0f, 0.0f, 0.0f};
    CHECK(same_bytes(*r.result, zero));
}

void check_traced(const Records& r, const FuzzInput& in, mi_boolean returned) {
    const auto& calls = fake_host::calls();
    CHECK(calls.size() == 3);
    const fake_host::Record& back = calls[1];
    const fake_host::Record& trace = calls[2];
    CHECK(back.call == fake_host::Call::from_camera);
    CHECK(back.first == r.state.get());
    CHECK(back.second == back.third);
    CHECK(trace.call == fake_host::Call::trace_eye);
    CHECK(trace.first == r.result.get());
    CHECK(trace.second == r.state.get());
    CHECK(trace.third == &r.state->org);
    CHECK(same_bytes(trace.out_value, in.org)); // the origin as it reached the trace
    CHECK(trace.fourth == back.second);
    CHECK(returned == in.trace_result);
    CHECK(same_bytes(*r.result, in.trace_color));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string error;
    if (!load_plugin(plugin, error)) {
        std::fprintf(stderr, "kelmora_fuzzer: %s: %s\n", plugin_path().c_str(), error.c_str());
        std::exit(1);
    }
    CHECK(plugin.version() == 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput in = decode(data, size);
    fake_host::reset();
    fake_host::script().camera_dir = in.camera_dir;
    fake_host::script().trace_result = in.trace_result;
    fake_host::script().trace_color = in.trace_color;
    const Records r = records_for(in);

    const mi_boolean returned = plugin.shader(r.result.get(), r.state.get(), r.params.get());

    const auto& calls = fake_host::calls();
    CHECK(!calls.empty());
    CHECK(calls[0].call == fake_host::Call::to_camera);
    CHECK(calls[0].first == r.state.get());
    CHECK(calls[0].third == &r.state->dir);
    CHECK(calls[0].second != calls[0].third);
    CHECK(same_bytes(*r.camera, in.camera));
    CHECK(same_bytes(*r.params, in.params));
    CHECK(same_bytes(r.state->org, in.org));
    CHECK(same_bytes(r.state->dir, in.dir));
    CHECK(r.state->camera == r.camera.get());
    if (calls.size() == 1) {
        check_clipped(r, returned);
    } else {
        check_traced(r, in, returned);
    }
    return 0;
}
