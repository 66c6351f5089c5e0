// Render progress on standard error: a bar redrawn in place on a terminal,
// a few plain lines otherwise (logs and CI keep every line).
#ifndef KELMORA_RENDER_PROGRESS_H
#define KELMORA_RENDER_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace krender {

class Progress {
  public:
    Progress(std::size_t total_pixels, std::FILE* stream, bool quiet);

    // For a total made of several renders: the pixels of the renders before
    // this one, which update() then adds to its count.
    void start_part(std::size_t pixels_before) { pixels_before_ = pixels_before; }
    // Called by the render's watching thread with the pixels finished so far.
    void update(std::size_t done_pixels);
    // Clears the bar; called once when the render is complete.
    void finish();

    double elapsed_seconds() const;

  private:
    void draw_bar(double fraction);

    std::size_t total_;
    std::size_t pixels_before_ = 0;
    std::FILE* stream_;
    bool terminal_;
    bool quiet_;
    int next_line_quarter_ = 1;
    std::chrono::steady_clock::time_point start_;
};

} // namespace krender

#endif
