#include "text_values.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace krender {

bool parse_float(const std::string& text, float& value) {
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

bool parse_whole(const std::string& text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE && value >= low &&
           value <= high;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (auto at = text.find(separator); at != std::string::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string parse_vec3(const std::string& text, Vec3& value) {
    const std::vector<std::string> parts = split(text, ',');
    if (parts.size() != 3 || !parse_float(parts[0], value.x) || !parse_float(parts[1], value.y) ||
        !parse_float(parts[2], value.z)) {
        return "expects three comma-separated numbers X,Y,Z, not '" + text + "'";
    }
    return "";
}

namespace {

std::string region_problem(const Region& r, int width, int height) {
    if (r.x1 < r.x0 || r.y1 < r.y0) {
        return "is inverted (X1 must not be below X0, nor Y1 below Y0)";
    }
    if (r.x1 == r.x0 || r.y1 == r.y0) {
        return "is empty (the ends are exclusive: X1 > X0 and Y1 > Y0)";
    }
    if (r.x0 < 0 || r.y0 < 0 || r.x1 > width || r.y1 > height) {
        return "reaches outside the " + std::to_string(width) + "x" + std::to_string(height) +
               " frame";
    }
    return "";
}

} // namespace

std::string parse_region(const std::string& text, int width, int height, Region& region) {
    const std::vector<std::string> parts = split(text, ',');
    long bounds[4] = {};
    bool numbers = parts.size() == 4;
    for (std::size_t i = 0; numbers && i < 4; ++i) {
        numbers = parse_whole(parts[i], -1000000000L, 1000000000L, bounds[i]);
    }
    if (!numbers) {
        return "expects four comma-separated whole numbers X0,Y0,X1,Y1, not '" + text + "'";
    }
    region = {static_cast<int>(bounds[0]), static_cast<int>(bounds[1]), static_cast<int>(bounds[2]),
              static_cast<int>(bounds[3])};
    const std::string problem = region_problem(region, width, height);
    return problem.empty() ? "" : "'" + text + "' " + problem;
}

std::string parse_sweep(const std::string& text, int most_panels, AmountSweep& sweep) {
    const std::vector<std::string> parts = split(text, ':');
    long count = 0;
    if (parts.size() != 3 || !parse_float(parts[0], sweep.from) ||
        !parse_float(parts[1], sweep.to) || !parse_whole(parts[2], 0, 1000000000L, count)) {
        return "expects FROM:TO:COUNT, two numbers and a whole number, not '" + text + "'";
    }
    if (!std::isfinite(sweep.from) || !std::isfinite(sweep.to)) {
        return "'" + text + "': the amounts must be finite";
    }
    if (count < 2 || count > most_panels) {
        return "'" + text + "': the count must be 2 to " + std::to_string(most_panels);
    }
    sweep.count = static_cast<int>(count);
    return "";
}

} // namespace krender
