// What the kelmora-render end-to-end tests share: a scratch folder per test,
// running the built executable, and reading back the images it writes.
#ifndef KELMORA_TESTS_RENDER_FILES_H
#define KELMORA_TESTS_RENDER_FILES_H

#include "run_program.h"

#include <OpenImageIO/typedesc.h>

#include <filesystem>
#include <string>
#include <vector>

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> entries() const; // sorted

  private:
    std::filesystem::path path_;
};

// Runs kelmora-render quietly.
ProgramResult render(std::vector<std::string> arguments);

struct Pixels {
    int width = 0, height = 0, channels = 0;
    OIIO::TypeDesc stored;
    std::vector<float> values;

    const float* at(int x, int y) const {
        return &values[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)) *
                       static_cast<std::size_t>(channels)];
    }
};

// Every channel as float; a PNG's colour as stored, without alpha multiplied in.
Pixels read_pixels(const std::string& path);

// Renders to an EXR of 32-bit floats in `folder` and reads it back.
Pixels render_exr(const ScratchFolder& folder, std::vector<std::string> arguments);

#endif
