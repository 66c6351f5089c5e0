#include "region_merge.h"

#include "oiio_files.h"

#include <cstddef>
#include <memory>
#include <stdexcept>

namespace krender {

namespace {

struct Piece {
    std::string path;
    ImageFormat format = ImageFormat::png;
    OIIO::TypeDesc stored;
    int channels = 0;
    Placement placement;
};

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw std::runtime_error("cannot merge " + path + ": " + why);
}

std::string size_text(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

std::unique_ptr<OIIO::ImageInput> open_piece(const std::string& path) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) {
        std::string why = OIIO::geterror();
        refuse(path, why.substr(0, why.find('\n')));
    }
    return input;
}

ImageFormat format_of(const OIIO::ImageInput& input, const std::string& path) {
    const std::string name = input.format_name();
    if (name == "png") {
        return ImageFormat::png;
    }
    if (name != "openexr") {
        refuse(path, "is a " + name + " image; region images are .png or .exr");
    }
    return ImageFormat::exr;
}

Piece read_piece(const std::string& path) {
    const auto input = open_piece(path);
    const OIIO::ImageSpec& header = input->spec();
    Piece piece{path, format_of(*input, path), header.format, header.nchannels, {}};
    if (piece.channels != 4) {
        refuse(path, "has " + std::to_string(piece.channels) + " channels, not RGBA");
    }
    if (!read_placement(header, piece.format, piece.placement)) {
        refuse(path, "does not say where it goes in the frame (render it with --region)");
    }
    const Placement& placement = piece.placement;
    if (placement.frame_width < 1 || placement.frame_height < 1 ||
        placement.frame_width > largest_image_side || placement.frame_height > largest_image_side) {
        refuse(path,
               "claims a frame of " + size_text(placement.frame_width, placement.frame_height));
    }
    const Region& r = placement.region;
    if (r.width() != header.width || r.height() != header.height || r.x0 < 0 || r.y0 < 0 ||
        r.x1 > placement.frame_width || r.y1 > placement.frame_height) {
        refuse(path, "its region does not fit its pixels or its frame");
    }
    return piece;
}

void check_alike(const Piece& first, const Piece& piece) {
    if (piece.format != first.format) {
        refuse(piece.path, "mixes .png and .exr pieces");
    }
    if (piece.stored != first.stored) {
        refuse(piece.path, "its pixel type differs from " + first.path + "'s");
    }
    if (piece.placement.frame_width != first.placement.frame_width ||
        piece.placement.frame_height != first.placement.frame_height) {
        refuse(piece.path,
               "belongs to a " +
                   size_text(piece.placement.frame_width, piece.placement.frame_height) +
                   " frame, " + first.path + " to a " +
                   size_text(first.placement.frame_width, first.placement.frame_height) + " one");
    }
}

// Regions inside the frame that do not overlap and add up to its area cover
// it exactly.
void check_cover(const std::vector<Piece>& pieces) {
    std::size_t covered = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Region& region = pieces[i].placement.region;
        for (std::size_t j = 0; j < i; ++j) {
            if (region.overlaps(pieces[j].placement.region)) {
                refuse(pieces[i].path, "overlaps " + pieces[j].path);
            }
        }
        covered += region.pixel_count();
    }
    const Placement& frame = pieces.front().placement;
    const Region whole{0, 0, frame.frame_width, frame.frame_height};
    if (covered != whole.pixel_count()) {
        throw std::runtime_error("cannot merge: the regions cover " + std::to_string(covered) +
                                 " of the " + std::to_string(whole.pixel_count()) +
                                 " pixels of the " +
                                 size_text(frame.frame_width, frame.frame_height) + " frame");
    }
}

void check_target(const Piece& first, const OutputTarget& target) {
    if (target.format != first.format) {
        const char* extension = first.format == ImageFormat::png ? ".png" : ".exr";
        throw std::runtime_error("cannot merge into " + target.path + ": the pieces are " +
                                 extension + " images; name the frame " + extension + " too");
    }
}

// Reads a piece's pixels straight into their place in the frame's buffer.
void paste(const Piece& piece, std::vector<unsigned char>& frame, std::size_t row_bytes) {
    const auto input = open_piece(piece.path);
    const Region& r = piece.placement.region;
    const std::size_t pixel_bytes = static_cast<std::size_t>(piece.channels) * piece.stored.size();
    unsigned char* corner = frame.data() + static_cast<std::size_t>(r.y0) * row_bytes +
                            static_cast<std::size_t>(r.x0) * pixel_bytes;
    if (!input->read_image(0, 0, 0, piece.channels, piece.stored, corner, OIIO::AutoStride,
                           static_cast<OIIO::stride_t>(row_bytes))) {
        refuse(piece.path, input->geterror());
    }
}

} // namespace

MergedFrame merge_regions(const std::vector<std::string>& paths, const OutputTarget& target) {
    std::vector<Piece> pieces;
    for (const std::string& path : paths) {
        pieces.push_back(read_piece(path));
        check_alike(pieces.front(), pieces.back());
    }
    check_cover(pieces);
    const Piece& first = pieces.front();
    check_target(first, target);

    const MergedFrame merged{first.placement.frame_width, first.placement.frame_height};
    const std::size_t row_bytes = static_cast<std::size_t>(merged.width) *
                                  static_cast<std::size_t>(first.channels) * first.stored.size();
    std::vector<unsigned char> frame(row_bytes * static_cast<std::size_t>(merged.height));
    for (const Piece& piece : pieces) {
        paste(piece, frame, row_bytes);
    }
    const Placement whole{{0, 0, merged.width, merged.height}, merged.width, merged.height};
    const OIIO::ImageSpec header = file_header(whole, first.format, first.stored);
    write_pixels(target, header, first.stored, frame.data());
    return merged;
}

} // namespace krender
