// The OpenImageIO side of the image files this renderer writes, shared by
// rendering and by assembling regions, so both write exactly the same files.
#ifndef KELMORA_RENDER_OIIO_FILES_H
#define KELMORA_RENDER_OIIO_FILES_H

#include "image.h"
#include "image_output.h"

#include <OpenImageIO/imageio.h>

#include <string>

namespace krender {

// PNGs are read and written with unassociated alpha, as stored, so that a
// file read and written again keeps its bytes.
OIIO::ImageSpec file_header(const Placement& placement, ImageFormat format, OIIO::TypeDesc stored);

// Where a file's pixels go in its frame; false when it does not say.
bool read_placement(const OIIO::ImageSpec& header, ImageFormat format, Placement& placement);

// Writes `pixels` (of type `given`, laid out as `header` says) to the target
// through a temporary file, as write_image() does.
void write_pixels(const OutputTarget& target, const OIIO::ImageSpec& header, OIIO::TypeDesc given,
                  const void* pixels);

} // namespace krender

#endif
