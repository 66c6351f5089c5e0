// Several renders of one frame on one image, each under a label strip:
// the pinhole beside the lens, or a sweep over a lens parameter.
#ifndef KELMORA_RENDER_CONTACT_SHEET_H
#define KELMORA_RENDER_CONTACT_SHEET_H

#include "image.h"

#include <string>

namespace krender {

// Panels fill rows left to right, top to bottom; each sits below its label.
struct SheetLayout {
    int panel_width = 0, panel_height = 0;
    int label_height = 0;
    int columns = 0, rows = 0;

    int width() const { return columns * panel_width; }
    int height() const { return rows * (label_height + panel_height); }
    // Where panel `index` goes on the sheet (below its label).
    Region panel(int index) const;
};

// Two panels go side by side; more go in a near-square grid.
SheetLayout sheet_layout(int panel_width, int panel_height, int panel_count);

// Throws std::runtime_error when labels cannot be drawn on this machine
// (no FreeType in OpenImageIO, or the font is missing), before any render.
void check_labels_can_be_drawn();

// A sheet of `layout`'s size: label strips opaque, panels empty until placed.
Image blank_sheet(const SheetLayout& layout);

// Copies a rendered frame into panel `index` and writes its label above it.
void place_panel(Image& sheet, const SheetLayout& layout, int index, const Image& frame,
                 const std::string& label);

} // namespace krender

#endif
