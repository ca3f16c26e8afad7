#pragma once
// Pictures of the graphics layer: DRAW_BITMAP pictures (stretched, cropped, resampled, tiled or with
// one colour left transparent), picture fills of areas and the picture markers 30..39. Pictures are
// drawn on GDI output only. The operations are members of plot_graphics (graphics_state.h).
#include "plotwell/app/graphics/graphics_state.h"

#include <cstdint>
#include <vector>

namespace plotwell {

// Copies a 24-bit RGB picture onto a device context: whole at (x, y) when width/height are its own,
// else stretched into the rectangle.
void blit_rgb24(HDC dc, const std::uint8_t* pixels, int pixel_width, int pixel_height, int x, int y, int width,
                int height);
// Copies it at full size leaving every pixel of `colour` (a colour value red | green << 8 | blue << 16)
// untouched on the device.
void blit_rgb24_transparent(HDC dc, const std::uint8_t* pixels, int pixel_width, int pixel_height, int x, int y,
                            std::uint32_t colour);

} // namespace plotwell
