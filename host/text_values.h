// Reading the numbers and lists that command-line flags take. Each parser
// returns an empty string on success, or what is wrong with the text.
#ifndef KELMORA_RENDER_TEXT_VALUES_H
#define KELMORA_RENDER_TEXT_VALUES_H

#include "image.h"
#include "vec3.h"

#include <string>
#include <vector>

namespace krender {

// The whole text must be one number (strtof's syntax, so "inf" and "nan" too).
bool parse_float(const std::string& text, float& value);

// The whole text must be one whole number within [low, high].
bool parse_whole(const std::string& text, long low, long high, long& value);

// Splits at every separator; "1,,2" gives an empty middle part.
std::vector<std::string> split(const std::string& text, char separator);

std::string parse_vec3(const std::string& text, Vec3& value);

// X0,Y0,X1,Y1 in pixels, the ends exclusive; it must be a non-empty part of
// a width x height frame.
std::string parse_region(const std::string& text, int width, int height, Region& region);

// A:B:N, N from 2 to most_panels.
struct AmountSweep {
    float from = 0.0f, to = 0.0f;
    int count = 0; // 0: no sweep
};
std::string parse_sweep(const std::string& text, int most_panels, AmountSweep& sweep);

} // namespace krender

#endif
