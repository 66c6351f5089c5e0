// Renders a region of the frame: tiles shared out across threads, each pixel
// supersampled and reduced in a fixed order, so the pixels are the same bits
// whatever the thread count or the region they are rendered in.
#ifndef KELMORA_RENDER_RENDERER_H
#define KELMORA_RENDER_RENDERER_H

#include "camera.h"
#include "host_state.h"
#include "image.h"
#include "progress.h"

namespace krender {

// Each eye ray goes through the shader when there is one, and straight to
// the tracer (a plain pinhole) when there is not.
struct LensCall {
    kelmora_shader_fn shader = nullptr;
    kelmora_params params{};
};

struct RenderJob {
    const Camera* camera = nullptr;
    SceneView view;
    LensCall lens;
    int samples_per_pixel = 1;
    int threads = 1;
};

struct RenderStats {
    RayTally tally;
    double seconds = 0.0;
};

// Fills every pixel of `image` (its region says which part of the frame).
RenderStats render(const RenderJob& job, Image& image, Progress& progress);

} // namespace krender

#endif
