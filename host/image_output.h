// Writing images through OpenImageIO, all or nothing.
#ifndef KELMORA_RENDER_IMAGE_OUTPUT_H
#define KELMORA_RENDER_IMAGE_OUTPUT_H

#include "image.h"

#include <string>

namespace krender {

enum class ImageFormat {
    png, // 8-bit sRGB with unassociated alpha
    exr, // linear with associated alpha
};

struct OutputTarget {
    std::string path;
    ImageFormat format = ImageFormat::png;
    bool exr_float = false; // 32-bit float EXR channels instead of half
};

// Checks, before anything is rendered, that the path names a writable file in
// an existing folder with a known extension. Throws std::runtime_error naming
// the problem.
OutputTarget prepare_output(const std::string& path, bool exr_float);

// Writes a temporary file beside the target and renames it into place, so the
// target is either the whole new image or untouched. Throws
// std::runtime_error naming the problem; the temporary file is gone then too.
// The file records where its pixels go in the frame, so that region images
// can be assembled: an EXR as its data window inside the display window, a
// PNG (which has no such windows) as text chunks kelmora:region
// "X0,Y0,X1,Y1" and kelmora:frame "WIDTHxHEIGHT".
void write_image(const Image& image, const OutputTarget& target, int frame_width, int frame_height);

} // namespace krender

#endif
