// Assembling the images of a frame's regions, rendered apart (say, one per
// farm task), into the whole frame.
#ifndef KELMORA_RENDER_REGION_MERGE_H
#define KELMORA_RENDER_REGION_MERGE_H

#include "image_output.h"

#include <string>
#include <vector>

namespace krender {

struct MergedFrame {
    int width = 0, height = 0;
};

// Each piece must say where it goes (as write_image() records it); all must
// share one frame, format and pixel type, and together cover the frame once,
// with no gap and no overlap. The pixels are copied as stored, so the result
// has the bits a single render of the frame would have. Throws
// std::runtime_error naming the piece and the problem before writing anything.
MergedFrame merge_regions(const std::vector<std::string>& pieces, const OutputTarget& target);

} // namespace krender

#endif
