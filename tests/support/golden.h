// Golden vectors: a deterministic stream of shader inputs, generated with
// integer arithmetic only so that every target builds the same bit patterns,
// and a digest of the shader's outputs that every target must reproduce.
#ifndef KELMORA_TESTS_GOLDEN_H
#define KELMORA_TESTS_GOLDEN_H

#include "host_api.h"

#include <cstdint>

namespace golden {

// One generated call: the state's direction is what the fake host's
// mi_vector_to_camera hands back, so these are camera-space values.
struct Input {
    mi_vector dir;
    mi_vector org;
    mi_camera camera;
    kelmora_params params;
    mi_boolean trace_result;
};

constexpr uint32_t default_count = 300000;

// The i-th input of the stream (the same on every target).
Input input(uint32_t index);

// Runs `count` generated inputs through the shader, via the fake host, and
// digests everything observable: return value, colour, calls made and the
// direction traced. NaN digests as one canonical NaN; all else bit for bit.
uint64_t digest(kelmora_shader_fn shader, uint32_t count = default_count);

} // namespace golden

#endif
