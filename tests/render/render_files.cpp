#include "render_files.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "kelmora-render-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    fs::remove_all(path_);
}

std::vector<std::string> ScratchFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ProgramResult render(std::vector<std::string> arguments) {
    arguments.push_back("--quiet");
    return run_program(KELMORA_RENDER_EXE, arguments);
}

Pixels read_pixels(const std::string& path) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) {
        throw std::runtime_error("cannot read " + path + ": " + OIIO::geterror());
    }
    const OIIO::ImageSpec& header = input->spec();
    Pixels pixels;
    pixels.width = header.width;
    pixels.height = header.height;
    pixels.channels = header.nchannels;
    pixels.stored = header.format;
    pixels.values.resize(static_cast<std::size_t>(header.width) *
                         static_cast<std::size_t>(header.height) *
                         static_cast<std::size_t>(header.nchannels));
    input->read_image(0, 0, 0, header.nchannels, OIIO::TypeDesc::FLOAT, pixels.values.data());
    return pixels;
}

Pixels render_exr(const ScratchFolder& folder, std::vector<std::string> arguments) {
    const std::string out = folder.file("image.exr");
    arguments.insert(arguments.end(), {"--out", out, "--exr-float"});
    const ProgramResult result = render(arguments);
    if (result.exit_code != 0) {
        throw std::runtime_error("kelmora-render failed: " + result.err);
    }
    return read_pixels(out);
}
