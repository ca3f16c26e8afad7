// Pictures from files, picture fills and picture markers.
#include "plotwell/app/graphics/pictures.h"

#include "plotwell/app/imagelib/imagelib.h"
#include "plotwell/core/plot_settings.h"

#include <cmath>

namespace plotwell {

namespace {
// A bitmap in a memory context for the length of one copy.
struct memory_picture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    memory_picture(HDC target, const std::uint8_t* pixels, int width, int height)
    {
        bitmap = img_rgb24_to_hbitmap(pixels, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), nullptr, target);
        if (!bitmap) return;
        dc = CreateCompatibleDC(target);
        previous = SelectObject(dc, bitmap);
    }
    ~memory_picture()
    {
        if (dc) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
    }
};
} // namespace

void blit_rgb24(HDC dc, const std::uint8_t* pixels, int pixel_width, int pixel_height, int x, int y, int width, int height)
{
    if (!dc || !pixels || pixel_width <= 0 || pixel_height <= 0 || width <= 0 || height <= 0) return;
    memory_picture m(dc, pixels, pixel_width, pixel_height);
    if (!m.dc) return;
    if (width == pixel_width && height == pixel_height) BitBlt(dc, x, y, width, height, m.dc, 0, 0, SRCCOPY);
    else StretchBlt(dc, x, y, width, height, m.dc, 0, 0, pixel_width, pixel_height, SRCCOPY);
}

void blit_rgb24_transparent(HDC dc, const std::uint8_t* pixels, int pixel_width, int pixel_height, int x, int y,
                            std::uint32_t colour)
{
    if (!dc || !pixels || pixel_width <= 0 || pixel_height <= 0) return;
    memory_picture m(dc, pixels, pixel_width, pixel_height);
    if (!m.dc) return;
    TransparentBlt(dc, x, y, pixel_width, pixel_height, m.dc, 0, 0, pixel_width, pixel_height, colour);
}

std::vector<std::uint8_t> plot_graphics::load_bitmap_file(const std::string& name, int& width, int& height)
{
    width = height = 0;
    img_input in = img_open_file_input(name.c_str());
    if (!in && !settings_folder.empty()) in = img_open_file_input((settings_folder + "/" + name).c_str());
    if (!in) return {};
    const std::int32_t type = img_guess_file_type(in);
    std::uint8_t* image = nullptr;
    std::int32_t w = 0, h = 0;
    std::uint8_t palette[1024] = {};
    if (type != IMG_TYPE_UNKNOWN) {
        img_seek_input(in, 0, SEEK_SET);
        switch (type) {
        case IMG_TYPE_BMP: image = img_read_bmp(in, &w, &h, 24, palette); break;
        case IMG_TYPE_JPEG: image = img_read_jpeg(in, &w, &h, 24, palette); break;
        case IMG_TYPE_PNG: image = img_read_png(in, &w, &h, 24, palette); break;
        case IMG_TYPE_PCX: image = img_read_pcx(in, &w, &h, 24, palette); break;
        case IMG_TYPE_PSD: image = img_read_psd(in, &w, &h, 24, palette); break;
        case IMG_TYPE_TGA: image = img_read_tga(in, &w, &h, 24, palette); break;
        default: break;
        }
    }
    img_close_input(in);
    if (!image || w <= 0 || h <= 0) {
        if (image) img_free(image);
        return {};
    }
    std::vector<std::uint8_t> pixels(image, image + static_cast<std::size_t>(w) * h * 3);
    img_free(image);
    width = w;
    height = h;
    return pixels;
}

void plot_graphics::picture_marker(double x, double y, int index, double size)
{
    if (index < 0 || index >= 10 || !marker_picture_in_use_[index]) return;
    const marker_picture& pic = marker_pictures_[index];
    double w, h;
    if (marker_world_size_ > 0) {
        const double range = settings ? settings->x_axis.max - settings->x_axis.min : 1;
        w = marker_world_size_ / (range != 0 ? range : 1);
    } else {
        h = marker_scale_ / 50 * size;
        w = h * viewport_height_pct_ / viewport_width_pct_;
    }
    const int P = static_cast<int>(w * page_width_pct_ * 100);
    if (P <= 0) return;
    const int Q = static_cast<int>(pic.height / (static_cast<double>(pic.width) / P));
    if (Q <= 0) return;
    const int X = static_cast<int>(x / scale_x_ + vp_x1_);
    const int Y = static_cast<int>(page_height_pct_ * 100 - (y / scale_y_ + vp_y1_));
    const int page_w = static_cast<int>(page_width_pct_ * 100), page_h = static_cast<int>(page_height_pct_ * 100);
    if (X + P / 2 < 0 || Y + Q / 2 < 0 || X - P / 2 > page_w || Y - Q / 2 > page_h) return;
    std::vector<std::uint8_t> pixels;
    int pw = P, ph = Q;
    if (pic.width == P) {
        pixels = pic.pixels;
        ph = pic.height;
    } else if (P > page_w || Q > page_h) {
        const double mx = (P > page_w ? (P - page_w) / 2.0 / P : 0) * pic.width;
        const double my = (Q > page_h ? (Q - page_h) / 2.0 / Q : 0) * pic.height;
        pw = std::min(P, page_w);
        ph = std::min(Q, page_h);
        pixels.resize(static_cast<std::size_t>(pw) * ph * 3);
        img_crop_resize_rgb24(pic.pixels.data(), pic.width, pic.height, static_cast<std::uint32_t>(mx),
                              static_cast<std::uint32_t>(my), static_cast<std::uint32_t>(pic.width - 1 - mx),
                              static_cast<std::uint32_t>(pic.height - 1 - my), pixels.data(), pw, ph);
    } else {
        pixels.resize(static_cast<std::size_t>(P) * Q * 3);
        img_resample(pic.pixels.data(), pic.width, pic.height, pixels.data(), P, Q, 3);
    }
    if (pic.transparent < 0 || pic.transparent > 255) {
        for (HDC dc : targets()) blit_rgb24(dc, pixels.data(), pw, ph, X - P / 2, Y - Q / 2, pw, ph);
        return;
    }
    const auto& c = colour_table_[static_cast<std::size_t>(pic.transparent)];
    const std::uint32_t key = static_cast<std::uint32_t>(c[0] | (c[1] << 8) | (c[2] << 16));
    img_replace_colour(pixels.data(), pw, ph, key, key, 2000);
    for (HDC dc : targets()) blit_rgb24_transparent(dc, pixels.data(), pw, ph, X - P / 2, Y - Q / 2, key);
}

void plot_graphics::gdi_picture_fill(const RECT& box, HRGN region)
{
    const colour_picture_fill& pf = colour_picture[current_colour_];
    const int tw = pf.tile_width > 0 ? pf.tile_width : pf.width, th = pf.tile_height > 0 ? pf.tile_height : pf.height;
    if (tw <= 0 || th <= 0 || pf.pixels.empty()) return;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tw) * th * 3);
    if (tw == pf.width && th == pf.height) tile = pf.pixels;
    else img_resize_nearest(pf.pixels.data(), pf.width, pf.height, 3, tile.data(), tw, th);
    const int x0 = box.left - ((box.left % tw) + tw) % tw, y0 = box.top - ((box.top % th) + th) % th;
    for (HDC dc : targets()) {
        HRGN clip = CreateRectRgn(clip_rect_.left, clip_rect_.top, clip_rect_.right, clip_rect_.bottom);
        if (region) CombineRgn(clip, clip, region, RGN_AND);
        else {
            HRGN r = CreateRectRgn(box.left, box.top, box.right, box.bottom);
            CombineRgn(clip, clip, r, RGN_AND);
            DeleteObject(r);
        }
        SelectClipRgn(dc, clip);
        for (int ty = y0; ty < box.bottom; ty += th)
            for (int tx = x0; tx < box.right; tx += tw) {
                if (pf.transparent >= 0) blit_rgb24_transparent(dc, tile.data(), tw, th, tx, ty, pf.transparent_colour);
                else blit_rgb24(dc, tile.data(), tw, th, tx, ty, tw, th);
            }
        DeleteObject(clip);
        SelectClipRgn(dc, clip_region_);
    }
}

void plot_graphics::gr_draw_picture(const picture_placement& p)
{
    if (ps_output()) return;
    picture_target t;
    t.file_name = p.file;
    const double ph = page_height_pct_ * 100;
    if (p.whole_device) {
        t.left = 0;
        t.top = 0;
        t.right = static_cast<int>(page_width_pct_ * 100);
        t.bottom = static_cast<int>(ph);
    } else {
        t.left = static_cast<int>(p.x1 * page_width_pct_);
        t.right = static_cast<int>(p.x2 * page_width_pct_);
        t.top = static_cast<int>(ph - p.y2 * page_height_pct_);
        t.bottom = static_cast<int>(ph - p.y1 * page_height_pct_);
    }
    t.crop_left = p.cut_left;
    t.crop_width = 1 - p.cut_left - p.cut_right;
    t.crop_top = p.cut_top;
    t.crop_height = 1 - p.cut_top - p.cut_bottom;
    draw_bitmap(t, p.transparent_colour, p.option, p.tolerance);
}

void plot_graphics::draw_bitmap(const picture_target& placement, int transparent, int filter, int tolerance)
{
    if (ps_output()) return;
    int W = 0, H = 0;
    std::vector<std::uint8_t> picture = load_bitmap_file(placement.file_name, W, H);
    if (picture.empty()) return;
    const int L = placement.left, T = placement.top, R = placement.right, B = placement.bottom;
    const int D = R - L, E = B - T;
    std::uint32_t key = 0;
    if (transparent >= 0 && transparent < 256) {
        const auto& c = colour_table_[transparent];
        key = static_cast<std::uint32_t>(c[0] | (c[1] << 8) | (c[2] << 16));
    }
    if (placement.tiles != 0) {
        int tw = W, th = H;
        if (placement.tiles > 1) {
            tw = D / placement.tiles;
            th = static_cast<int>(static_cast<double>(H) / W * tw);
            if (tw <= 0 || th <= 0) return;
            std::vector<std::uint8_t> resized(static_cast<std::size_t>(tw) * th * 3);
            img_resize_nearest(picture.data(), W, H, 3, resized.data(), tw, th);
            picture.swap(resized);
        }
        if (transparent >= 0) img_replace_colour(picture.data(), tw, th, key, key, tolerance);
        for (HDC dc : targets()) {
            IntersectClipRect(dc, L, T, R, B);
            for (int y = T; y < B; y += th)
                for (int x = L; x < R; x += tw) {
                    if (transparent >= 0) blit_rgb24_transparent(dc, picture.data(), tw, th, x, y, key);
                    else blit_rgb24(dc, picture.data(), tw, th, x, y, tw, th);
                }
            SelectClipRgn(dc, clip_region_);
        }
        return;
    }
    const double aspect = static_cast<double>(W) / H;
    int x = L, y = T, width = D, height = E;
    if (placement.aspect_from_height || placement.align_right) {
        width = static_cast<int>(E * aspect);
        if (placement.align_right) x = R - width;
    }
    if (placement.aspect_from_width || placement.align_bottom) {
        height = static_cast<int>(D / aspect);
        if (placement.align_bottom) y = B - height;
    }
    if (width <= 0 || height <= 0) return;
    const std::vector<HDC> dcs = targets();
    if (filter != 0) {
        std::vector<std::uint8_t> resampled(static_cast<std::size_t>(width) * height * 3);
        img_resample_filtered(picture.data(), W, H, resampled.data(), width, height, 3, filter - 1);
        const int vw = static_cast<int>(width * placement.crop_width), vh = static_cast<int>(height * placement.crop_height);
        for (HDC dc : dcs) {
            // the visible part is the top-left vw × vh of the resampled picture
            std::vector<std::uint8_t> part(static_cast<std::size_t>(std::max(vw, 1)) * std::max(vh, 1) * 3);
            if (vw > 0 && vh > 0) {
                img_crop(resampled.data(), width, height, part.data(), 0, 0, vw, vh, 3);
                blit_rgb24(dc, part.data(), vw, vh, x, y, vw, vh);
            }
        }
    } else if (transparent >= 0) {
        img_replace_colour(picture.data(), W, H, key, key, tolerance);
        std::vector<std::uint8_t> resized(static_cast<std::size_t>(width) * height * 3);
        img_resize_nearest(picture.data(), W, H, 3, resized.data(), width, height);
        for (HDC dc : dcs) blit_rgb24_transparent(dc, resized.data(), width, height, x, y, key);
    } else if (placement.crop_width != 1 || placement.crop_height != 1) {
        const int cx = static_cast<int>(W * placement.crop_left);
        const int cy = static_cast<int>(H * (1 - placement.crop_top - placement.crop_height));
        const int cw = static_cast<int>(W * placement.crop_width), ch = static_cast<int>(H * placement.crop_height);
        if (cw <= 0 || ch <= 0) return;
        std::vector<std::uint8_t> part(static_cast<std::size_t>(cw) * ch * 3);
        img_crop(picture.data(), W, H, part.data(), std::max(cx, 0), std::max(cy, 0), cw, ch, 3);
        for (HDC dc : dcs) blit_rgb24(dc, part.data(), cw, ch, x, y, width, height);
    } else {
        for (HDC dc : dcs)
            blit_rgb24(dc, picture.data(), W, H, x, y, static_cast<int>(width * placement.crop_width),
                       static_cast<int>(height * placement.crop_height));
    }
}

} // namespace plotwell
