// The host renderer's records and functions, as far as the kelmora plug-in
// uses them. The plug-in and every host include this one header, so a layout
// change breaks the build instead of a render.
#ifndef KELMORA_HOST_API_H
#define KELMORA_HOST_API_H

#include <stddef.h>
#include <stdint.h>

// Exported names are declared once: dllexport on Windows, default visibility
// elsewhere (everything else in the plug-in is built with hidden visibility).
#if defined(_WIN32)
#define KELMORA_EXPORT __declspec(dllexport)
#else
#define KELMORA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t mi_boolean;

typedef struct mi_vector {
    float x, y, z;
} mi_vector;

typedef struct mi_color {
    float r, g, b, a;
} mi_color;

typedef struct mi_camera {
    int32_t reserved;
    float focal;    // distance from the eye to the image plane
    float aperture; // width of the image plane; half of it is one unit of image x
    float aspect;   // multiplies the vertical image-plane position
} mi_camera;

// The host's per-ray state. Only the fields the plug-in reads are named; the
// padding keeps the 32-bit interface's offsets on 64-bit targets as well
// (a 64-bit pointer at 8 still ends before 68).
typedef struct mi_state {
    uint8_t reserved_head[8];
    const mi_camera* camera;
    uint8_t reserved_mid[68 - 8 - sizeof(const mi_camera*)];
    mi_vector org; // ray origin, host internal space
    mi_vector dir; // ray direction, host internal space
} mi_state;

// The shader's own parameters, passed by the host with every call.
typedef struct kelmora_params {
    float amount;         // 0: no bending, 1: full bending; not clamped
    float scale_x;        // multiplier on the bent direction's x
    float scale_y;        // multiplier on the bent direction's y
    float scale_z;        // multiplier on the bent direction's depth
    int32_t clip_outside; // exactly 1 blacks out rays whose bend factor is >= 1
} kelmora_params;

// Host functions the plug-in calls. The vector transforms accept out == in.
void mi_vector_to_camera(mi_state* state, mi_vector* out, const mi_vector* in);
void mi_vector_from_camera(mi_state* state, mi_vector* out, const mi_vector* in);
mi_boolean mi_trace_eye(mi_color* result, mi_state* state, const mi_vector* origin,
                        const mi_vector* direction);

// The plug-in's exports.
typedef mi_boolean (*kelmora_shader_fn)(mi_color* result, mi_state* state,
                                        const kelmora_params* params);
typedef int32_t (*kelmora_version_fn)(void);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#define KELMORA_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define KELMORA_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

KELMORA_STATIC_ASSERT(sizeof(float) == 4 && sizeof(int32_t) == 4, "32-bit float and int");
KELMORA_STATIC_ASSERT(sizeof(mi_vector) == 12, "vector is three floats");
KELMORA_STATIC_ASSERT(sizeof(mi_color) == 16, "colour is four floats");
KELMORA_STATIC_ASSERT(offsetof(mi_camera, focal) == 4, "camera focal offset");
KELMORA_STATIC_ASSERT(offsetof(mi_camera, aperture) == 8, "camera aperture offset");
KELMORA_STATIC_ASSERT(offsetof(mi_camera, aspect) == 12, "camera aspect offset");
KELMORA_STATIC_ASSERT(offsetof(mi_state, camera) == 8, "state camera offset");
KELMORA_STATIC_ASSERT(offsetof(mi_state, org) == 68, "state origin offset");
KELMORA_STATIC_ASSERT(offsetof(mi_state, dir) == 80, "state direction offset");
KELMORA_STATIC_ASSERT(offsetof(kelmora_params, amount) == 0, "amount offset");
KELMORA_STATIC_ASSERT(offsetof(kelmora_params, scale_x) == 4, "scale_x offset");
KELMORA_STATIC_ASSERT(offsetof(kelmora_params, scale_y) == 8, "scale_y offset");
KELMORA_STATIC_ASSERT(offsetof(kelmora_params, scale_z) == 12, "scale_z offset");
KELMORA_STATIC_ASSERT(offsetof(kelmora_params, clip_outside) == 16, "clip_outside offset");
KELMORA_STATIC_ASSERT(sizeof(kelmora_params) == 20, "parameter record has no gaps");

#endif
