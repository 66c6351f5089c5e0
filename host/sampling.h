// Deterministic sample positions and random numbers. Everything is a pure
// function of the pixel's frame coordinates and the sample's index, so an
// image does not depend on the thread count, the tile order or the region a
// pixel was rendered in.
#ifndef KELMORA_RENDER_SAMPLING_H
#define KELMORA_RENDER_SAMPLING_H

#include <cstdint>

namespace krender {

struct SquarePoint {
    float x = 0.5f, y = 0.5f; // each in [0, 1); the centre unless set
};

// Sample `index` of `count` within pixel (x, y): correlated multi-jittered
// (stratified in 2D and in each axis) for count > 1, the pixel centre for 1.
SquarePoint sample_offset(int pixel_x, int pixel_y, int index, int count);

// The random numbers one eye sample uses for shading, two at a time. Each
// pair is a fresh dimension, stratified across the pixel's samples like the
// sample positions, so a pixel's shadow and sky rays cover their domains
// evenly instead of clumping.
class SampleRandom {
  public:
    SampleRandom(int pixel_x, int pixel_y, int index, int count);
    SquarePoint next_pair(); // each in [0, 1)

  private:
    std::uint32_t pixel_seed_;
    std::uint32_t index_;
    std::uint32_t count_;
    std::uint32_t dimension_ = 0;
};

} // namespace krender

#endif
