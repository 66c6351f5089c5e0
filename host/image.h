// A rectangle of the frame and the pixels rendered for it.
#ifndef KELMORA_RENDER_IMAGE_H
#define KELMORA_RENDER_IMAGE_H

#include "host_api.h"

#include <cstddef>
#include <vector>

namespace krender {

// Large enough for posters, small enough that a frame buffer fits in memory.
constexpr int largest_image_side = 16384;

// Pixel bounds in frame coordinates; the ends are exclusive.
struct Region {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
    std::size_t pixel_count() const {
        return static_cast<std::size_t>(width()) * static_cast<std::size_t>(height());
    }
    bool overlaps(const Region& other) const {
        return x0 < other.x1 && other.x0 < x1 && y0 < other.y1 && other.y0 < y1;
    }
};

// A region and the frame it is part of, whose top-left corner is 0,0.
struct Placement {
    Region region;
    int frame_width = 0, frame_height = 0;
};

// Linear RGBA with associated alpha, rows top to bottom.
class Image {
  public:
    explicit Image(Region region)
        : region_(region), pixels_(region.pixel_count(), mi_color{0.0f, 0.0f, 0.0f, 0.0f}) {}

    const Region& region() const { return region_; }

    // Addressed by frame coordinates, which must lie inside the region.
    mi_color& at(int x, int y) { return pixels_[index(x, y)]; }
    const mi_color& at(int x, int y) const { return pixels_[index(x, y)]; }

    const std::vector<mi_color>& pixels() const { return pixels_; }

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y - region_.y0) *
                   static_cast<std::size_t>(region_.width()) +
               static_cast<std::size_t>(x - region_.x0);
    }

    Region region_;
    std::vector<mi_color> pixels_;
};

} // namespace krender

#endif
