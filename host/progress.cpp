#include "progress.h"

#include <unistd.h>

namespace krender {

namespace {

const int bar_width = 40;

} // namespace

Progress::Progress(std::size_t total_pixels, std::FILE* stream, bool quiet)
    : total_(total_pixels), stream_(stream), terminal_(isatty(fileno(stream)) == 1), quiet_(quiet),
      start_(std::chrono::steady_clock::now()) {}

double Progress::elapsed_seconds() const {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    return elapsed.count();
}

void Progress::update(std::size_t done_pixels) {
    if (quiet_ || total_ == 0) {
        return;
    }
    const double fraction =
        static_cast<double>(pixels_before_ + done_pixels) / static_cast<double>(total_);
    if (terminal_) {
        draw_bar(fraction);
        return;
    }
    // Plain lines at each quarter that is reached before the end.
    while (next_line_quarter_ < 4 && fraction >= next_line_quarter_ / 4.0) {
        std::fprintf(stream_, "kelmora-render: %d%% rendered, %.1f s\n", next_line_quarter_ * 25,
                     elapsed_seconds());
        ++next_line_quarter_;
    }
}

void Progress::draw_bar(double fraction) {
    const int filled = static_cast<int>(fraction * bar_width);
    char bar[bar_width + 1];
    for (int i = 0; i < bar_width; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[bar_width] = '\0';
    const double elapsed = elapsed_seconds();
    const double left = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : 0.0;
    std::fprintf(stream_, "\r[%s] %3d%%  %.1f s, %.1f s left ", bar,
                 static_cast<int>(fraction * 100.0), elapsed, left);
    std::fflush(stream_);
}

void Progress::finish() {
    if (!quiet_ && terminal_) {
        std::fprintf(stream_, "\r\033[K");
        std::fflush(stream_);
    }
}

} // namespace krender
