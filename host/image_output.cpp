#include "image_output.h"
#include "oiio_files.h"
#include "text_values.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace krender {

namespace fs = std::filesystem;

namespace {

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

ImageFormat format_for(const fs::path& path) {
    const std::string extension = lower_case(path.extension().string());
    if (extension == ".png") {
        return ImageFormat::png;
    }
    if (extension == ".exr") {
        return ImageFormat::exr;
    }
    const std::string shown = extension.empty() ? "no extension" : "'" + extension + "'";
    throw std::runtime_error("unknown output format (" + shown + ") in " + path.string() +
                             ": use .png or .exr");
}

fs::path folder_of(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A temporary file removed when the write fails, throws or is interrupted.
// Signal handlers can only use what they find in static storage, hence the
// fixed buffer; one image is written at a time.
char pending_path[PATH_MAX];

extern "C" void remove_pending_and_reraise(int signal_number) {
    if (pending_path[0] != '\0') {
        unlink(pending_path);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& target) {
        const std::string name =
            "." + target.filename().string() + ".tmp-" + std::to_string(getpid());
        path_ = folder_of(target) / name;
        if (path_.string().size() >= sizeof(pending_path)) {
            throw std::runtime_error("output path is too long: " + target.string());
        }
        std::strcpy(pending_path, path_.c_str());
        for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
            previous_handlers_.push_back(std::signal(signal_number, remove_pending_and_reraise));
        }
    }
    ~TemporaryFile() {
        if (!kept_) {
            unlink(pending_path);
        }
        const int signals[] = {SIGINT, SIGTERM, SIGHUP};
        for (std::size_t i = 0; i < previous_handlers_.size(); ++i) {
            std::signal(signals[i], previous_handlers_[i]);
        }
        pending_path[0] = '\0';
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }

    void rename_to(const fs::path& target) {
        if (std::rename(path_.c_str(), target.c_str()) != 0) {
            throw std::runtime_error("cannot rename " + path_.string() + " to " + target.string() +
                                     ": " + std::strerror(errno));
        }
        kept_ = true;
    }

  private:
    fs::path path_;
    std::vector<void (*)(int)> previous_handlers_;
    bool kept_ = false;
};

std::uint8_t srgb_byte(float linear) {
    const float clamped = std::min(1.0f, linear > 0.0f ? linear : 0.0f); // NaN goes to 0
    const float encoded =
        clamped <= 0.0031308f ? 12.92f * clamped : 1.055f * std::pow(clamped, 1.0f / 2.4f) - 0.055f;
    return static_cast<std::uint8_t>(std::lround(encoded * 255.0f));
}

// PNG stores colour without the alpha multiplied in.
std::vector<std::uint8_t> png_pixels(const Image& image) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.pixels().size() * 4);
    for (const mi_color& pixel : image.pixels()) {
        const float alpha = std::min(1.0f, pixel.a > 0.0f ? pixel.a : 0.0f);
        const float unassociate = alpha > 0.0f ? 1.0f / alpha : 0.0f;
        bytes.insert(bytes.end(),
                     {srgb_byte(pixel.r * unassociate), srgb_byte(pixel.g * unassociate),
                      srgb_byte(pixel.b * unassociate), srgb_byte(alpha)});
    }
    return bytes;
}

void fail(const std::string& what, const fs::path& path, const std::string& why) {
    throw std::runtime_error(what + " " + path.string() + ": " + why);
}

std::string region_text(const Region& r) {
    return std::to_string(r.x0) + "," + std::to_string(r.y0) + "," + std::to_string(r.x1) + "," +
           std::to_string(r.y1);
}

void write_file(const fs::path& file, const OutputTarget& target, const OIIO::ImageSpec& header,
                OIIO::TypeDesc given, const void* pixels) {
    auto output = OIIO::ImageOutput::create(target.format == ImageFormat::png ? "png" : "openexr");
    if (!output) {
        fail("no OpenImageIO writer for", target.path, OIIO::geterror());
    }
    if (!output->open(file.string(), header)) {
        fail("cannot write", target.path, output->geterror());
    }
    if (!output->write_image(given, pixels) || !output->close()) {
        fail("cannot write", target.path, output->geterror());
    }
}

} // namespace

OutputTarget prepare_output(const std::string& path, bool exr_float) {
    if (path.empty()) {
        throw std::runtime_error("--out needs a file name");
    }
    OutputTarget target{path, format_for(path), exr_float};
    const fs::path folder = folder_of(path);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw std::runtime_error("output folder does not exist: " + folder.string());
    }
    if (fs::is_directory(path, error)) {
        throw std::runtime_error("output path is a folder: " + path);
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        throw std::runtime_error("cannot write to output folder " + folder.string() + ": " +
                                 std::strerror(errno));
    }
    return target;
}

OIIO::ImageSpec file_header(const Placement& placement, ImageFormat format, OIIO::TypeDesc stored) {
    const Region& r = placement.region;
    OIIO::ImageSpec header(r.width(), r.height(), 4, stored);
    if (format == ImageFormat::png) {
        header.attribute("oiio:ColorSpace", "sRGB");
        header.attribute("oiio:UnassociatedAlpha", 1);
        header.attribute("kelmora:region", region_text(r));
        header.attribute("kelmora:frame", std::to_string(placement.frame_width) + "x" +
                                              std::to_string(placement.frame_height));
        return header;
    }
    header.attribute("oiio:ColorSpace", "Linear");
    header.attribute("compression", "zip");
    header.x = r.x0;
    header.y = r.y0;
    header.full_x = 0;
    header.full_y = 0;
    header.full_width = placement.frame_width;
    header.full_height = placement.frame_height;
    return header;
}

bool read_placement(const OIIO::ImageSpec& header, ImageFormat format, Placement& placement) {
    if (format == ImageFormat::exr) {
        placement.region = {header.x, header.y, header.x + header.width, header.y + header.height};
        placement.frame_width = header.full_width;
        placement.frame_height = header.full_height;
        return header.full_x == 0 && header.full_y == 0;
    }
    const std::string region = header.get_string_attribute("kelmora:region");
    const std::vector<std::string> frame = split(header.get_string_attribute("kelmora:frame"), 'x');
    long width = 0, height = 0;
    if (frame.size() != 2 || !parse_whole(frame[0], 1, largest_image_side, width) ||
        !parse_whole(frame[1], 1, largest_image_side, height)) {
        return false;
    }
    placement.frame_width = static_cast<int>(width);
    placement.frame_height = static_cast<int>(height);
    return parse_region(region, placement.frame_width, placement.frame_height, placement.region)
        .empty();
}

void write_pixels(const OutputTarget& target, const OIIO::ImageSpec& header, OIIO::TypeDesc given,
                  const void* pixels) {
    TemporaryFile temporary(target.path);
    write_file(temporary.path(), target, header, given, pixels);
    temporary.rename_to(target.path);
}

void write_image(const Image& image, const OutputTarget& target, int frame_width,
                 int frame_height) {
    const Placement placement{image.region(), frame_width, frame_height};
    if (target.format == ImageFormat::png) {
        const OIIO::ImageSpec header = file_header(placement, target.format, OIIO::TypeDesc::UINT8);
        write_pixels(target, header, OIIO::TypeDesc::UINT8, png_pixels(image).data());
        return;
    }
    const OIIO::TypeDesc stored = target.exr_float ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::HALF;
    const OIIO::ImageSpec header = file_header(placement, target.format, stored);
    write_pixels(target, header, OIIO::TypeDesc::FLOAT, image.pixels().data());
}

} // namespace krender
