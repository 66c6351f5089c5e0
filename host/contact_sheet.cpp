#include "contact_sheet.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace krender {

namespace {

// DejaVu ships with Debian (fonts-dejavu-core); OpenImageIO finds it by name.
const char* const label_font = "DejaVuSans";
const mi_color strip_colour{0.02f, 0.02f, 0.02f, 1.0f};
const float text_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// The sheet's pixels as an OpenImageIO buffer, without a copy.
OIIO::ImageBuf wrap(Image& sheet) {
    const Region& r = sheet.region();
    const OIIO::ImageSpec header(r.width(), r.height(), 4, OIIO::TypeDesc::FLOAT);
    return OIIO::ImageBuf(header, &sheet.at(r.x0, r.y0));
}

bool draw_text(OIIO::ImageBuf& buffer, const Region& strip, const std::string& text) {
    const int font_size = std::max(8, strip.height() * 5 / 8);
    const int left = strip.x0 + strip.height() / 3;
    const int baseline = strip.y0 + strip.height() * 3 / 4;
    const OIIO::ROI inside_strip(strip.x0, strip.x1, strip.y0, strip.y1);
    return OIIO::ImageBufAlgo::render_text(buffer, left, baseline, text, font_size, label_font,
                                           text_colour, OIIO::ImageBufAlgo::TextAlignX::Left,
                                           OIIO::ImageBufAlgo::TextAlignY::Baseline, 0,
                                           inside_strip);
}

} // namespace

Region SheetLayout::panel(int index) const {
    const int x0 = (index % columns) * panel_width;
    const int y0 = (index / columns) * (label_height + panel_height) + label_height;
    return {x0, y0, x0 + panel_width, y0 + panel_height};
}

SheetLayout sheet_layout(int panel_width, int panel_height, int panel_count) {
    SheetLayout layout;
    layout.panel_width = panel_width;
    layout.panel_height = panel_height;
    layout.label_height = std::clamp(panel_width / 16, 16, 48);
    layout.columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(panel_count))));
    layout.rows = (panel_count + layout.columns - 1) / layout.columns;
    return layout;
}

void check_labels_can_be_drawn() {
    Image probe(Region{0, 0, 16, 16});
    OIIO::ImageBuf buffer = wrap(probe);
    if (!draw_text(buffer, probe.region(), "0")) {
        OIIO::geterror(); // clear it; the reason is always the font
        throw std::runtime_error(std::string("cannot draw labels: OpenImageIO finds no font '") +
                                 label_font + "' (Debian package fonts-dejavu-core)");
    }
}

Image blank_sheet(const SheetLayout& layout) {
    Image sheet(Region{0, 0, layout.width(), layout.height()});
    for (int row = 0; row < layout.rows; ++row) {
        const int y0 = row * (layout.label_height + layout.panel_height);
        for (int y = y0; y < y0 + layout.label_height; ++y) {
            for (int x = 0; x < layout.width(); ++x) {
                sheet.at(x, y) = strip_colour;
            }
        }
    }
    return sheet;
}

void place_panel(Image& sheet, const SheetLayout& layout, int index, const Image& frame,
                 const std::string& label) {
    const Region panel = layout.panel(index);
    for (int y = 0; y < layout.panel_height; ++y) {
        for (int x = 0; x < layout.panel_width; ++x) {
            sheet.at(panel.x0 + x, panel.y0 + y) = frame.at(x, y);
        }
    }
    const Region strip{panel.x0, panel.y0 - layout.label_height, panel.x1, panel.y0};
    OIIO::ImageBuf buffer = wrap(sheet);
    if (!draw_text(buffer, strip, label)) {
        throw std::runtime_error("cannot draw the label '" + label + "': " + OIIO::geterror());
    }
}

} // namespace krender
