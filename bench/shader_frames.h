// Frames of eye rays for timing the shader, shared by the benchmarks that
// compare a plug-in binary with the shader's own source compiled into the
// benchmark. Nothing here depends on a benchmark library, so the Windows
// benchmark, which times with a loop of its own, uses it too.
#ifndef KELMORA_BENCH_SHADER_FRAMES_H
#define KELMORA_BENCH_SHADER_FRAMES_H

#include "host_api.h"

#include <vector>

// The shader's source compiled into the benchmark under another name. It
// calls the host functions directly, where the plug-in reaches them through
// its binding.
extern "C" mi_boolean kelmora_in_host(mi_color* result, mi_state* state,
                                      const kelmora_params* params);

namespace kelmora_bench {

// One frame of eye rays; the benchmark host's transform is the identity, so
// each state's direction is the camera-space direction.
struct Frame {
    const char* name;
    mi_camera camera;
    kelmora_params params;
    std::vector<mi_state> rays;
};

// The frames every per-ray benchmark times, their rays filled in. The
// returned frames must not be copied: each ray points at its frame's camera.
void make_frames(std::vector<Frame>& frames);

// Calls the shader once for every ray of the frame; returns the time taken in ns.
double shade_frame(kelmora_shader_fn shader, Frame& frame);

// True when the shader gives the same flag and the same colour bits as the
// in-host source for every ray of the frame; otherwise prints which frame
// differs, under the program's name, and returns false.
bool sides_agree(const char* program, kelmora_shader_fn shader, Frame& frame);

} // namespace kelmora_bench

#endif
