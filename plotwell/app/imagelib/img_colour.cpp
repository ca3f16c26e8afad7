#include "plotwell/app/imagelib/img_colour.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

std::uint8_t img_grey_value(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    // Each product and sum rounded to double in this order, then truncated: (128,128,128) is
    // 127 and (1,1,1) is 0, as pictures made before rely on.
    const double g = (0.299 * red + 0.587 * green) + 0.114 * blue;
    return std::uint8_t(g);
}

int img_rgb24_to_grey(std::uint8_t* image, std::uint32_t width, std::uint32_t height)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!image) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        std::uint8_t* p = image;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x, p += 3)
                p[0] = p[1] = p[2] = img_grey_value(p[0], p[1], p[2]);
            if (!img_progress(state, y, height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

int img_rgb24_to_grey8(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint8_t* output)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!image || !output) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const std::uint8_t* p = image;
        std::uint8_t* o = output;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x, p += 3)
                *o++ = img_grey_value(p[0], p[1], p[2]);
            if (!img_progress(state, y, height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

bool img_colour_near(std::uint32_t a, std::uint32_t b, std::uint32_t tolerance)
{
    if (a == b)
        return true;
    if (tolerance == 0)
        return false;
    const int dr = int(a & 0xFF) - int(b & 0xFF);
    const int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    const int db = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    return tolerance >= std::uint32_t(dr * dr + dg * dg + db * db);
}

int img_replace_colour(std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint32_t find, std::uint32_t replacement, std::uint32_t tolerance)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!image) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        std::uint8_t* p = image;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x, p += 3) {
                const std::uint32_t pixel = p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
                if (img_colour_near(find, pixel, tolerance)) {
                    p[0] = std::uint8_t(replacement);
                    p[1] = std::uint8_t(replacement >> 8);
                    p[2] = std::uint8_t(replacement >> 16);
                }
            }
            if (!img_progress(state, y, height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

int img_rgb24_to_rgb16(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                       std::uint8_t* output, int five_five_five, int bit15)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    return img_run<int>(state, [&](img_error_scope& scope) -> int {
        if (!image || !output) {
            scope.code = IMG_ERR_ARGUMENT;
            return 0;
        }
        const std::uint8_t* p = image;
        std::uint8_t* o = output;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x, p += 3) {
                unsigned w;
                if (five_five_five) {
                    w = ((p[0] & 0xF8u) << 7) | ((p[1] & 0xF8u) << 2) | (p[2] >> 3);
                    if (bit15)
                        w |= 0x8000;
                } else {
                    w = ((p[0] >> 3u) << 11) | ((p[1] >> 2u) << 5) | (p[2] >> 3u);
                }
                *o++ = std::uint8_t(w);
                *o++ = std::uint8_t(w >> 8);
            }
            if (!img_progress(state, y, height)) {
                scope.code = IMG_ERR_CANCELLED;
                return 0;
            }
        }
        return 1;
    });
}

void img_index8_to_rgb24(const std::uint8_t* indexes, std::uint8_t* output, std::uint32_t width,
                         std::uint32_t rows, const std::uint8_t* palette)
{
    const std::uint64_t count = std::uint64_t(width) * rows;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = palette + std::size_t(indexes[i]) * 4;
        output[3 * i] = entry[2];
        output[3 * i + 1] = entry[1];
        output[3 * i + 2] = entry[0];
    }
}

int img_quant_nearest(int red, int green, int blue, int count, const std::uint8_t* reds,
                      const std::uint8_t* greens, const std::uint8_t* blues)
{
    if (count <= 0)
        return 0;
    std::uint32_t best = 16581376;
    int index = 0;
    for (int i = 0; i < count; ++i) {
        const int dr = reds[i] - red, dg = greens[i] - green, db = blues[i] - blue;
        const std::uint32_t d = std::uint32_t(dr * dr + db * db + dg * dg);
        if (d < best) {
            best = d;
            index = i;
        }
    }
    return index;
}

void img_palette_matcher::set_palette(const std::uint8_t* entries, int count)
{
    count_ = std::clamp(count, 0, 256);
    std::memcpy(palette_, entries, std::size_t(count_) * 4);
    has_palette_ = true;
    cache_.clear();
    cache_.reserve(256);
}

std::uint8_t img_palette_matcher::nearest(int red, int green, int blue)
{
    if (!has_palette_)
        return 0;
    const std::uint32_t key = std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16;
    for (const auto& pair : cache_)
        if (pair.first == key)
            return pair.second;
    std::uint32_t best = 196608;
    int index = 0;
    for (int i = 0; i < count_; ++i) {
        const std::uint8_t* e = entry(i);
        const int dg = e[1] - green, db = e[0] - blue, dr = e[2] - red;
        const std::uint32_t d = std::uint32_t(dg * dg + db * db + dr * dr);
        if (d < best) {
            index = i;
            best = d;
        }
        if (d == 0)
            break;
    }
    if (cache_.size() >= 255)
        cache_.clear();
    cache_.emplace_back(key, std::uint8_t(index));
    return std::uint8_t(index);
}

namespace {

struct octree_node {
    std::uint32_t red = 0, green = 0, blue = 0;
    std::uint32_t count = 0;
    std::uint32_t weight = 0;
    std::uint8_t children = 0;
    std::uint8_t index = 0;
};

struct heap_item {
    std::uint8_t level;
    std::uint16_t node;
};

struct img_octree_quantiser {
    std::int32_t code = 0;
    int dither = 0;
    std::int8_t error_limit = 20;
    std::uint8_t reds[256] = {}, greens[256] = {}, blues[256] = {};
    std::unique_ptr<octree_node[]> levels[6];
    std::unique_ptr<heap_item[]> heap;
    int heap_count = 0;
    int assigned = 0;
    std::uint16_t spread_red[256], spread_green[256], spread_blue[256];

    octree_node& node(const heap_item& item) { return levels[item.level][item.node]; }

    void build_spread_tables()
    {
        for (int v = 0; v < 256; ++v) {
            std::uint16_t r = 0, g = 0, b = 0;
            // Bits 7..3 of the channel go to bit positions 14..2 in steps of three.
            for (int bit = 7, slot = 4; bit >= 3; --bit, --slot) {
                const int on = (v >> bit) & 1;
                r |= std::uint16_t(on << (slot * 3 + 2));
                g |= std::uint16_t(on << (slot * 3 + 1));
                b |= std::uint16_t(on << (slot * 3));
            }
            spread_red[v] = r;
            spread_green[v] = g;
            spread_blue[v] = b;
        }
    }

    void sift_down(int position)
    {
        const heap_item moving = heap[position];
        const std::uint32_t weight = node(moving).weight;
        for (;;) {
            int child = position * 2;
            if (child > heap_count)
                break;
            if (child + 1 <= heap_count && node(heap[child + 1]).weight < node(heap[child]).weight)
                ++child;
            if (weight <= node(heap[child]).weight)
                break;
            heap[position] = heap[child];
            position = child;
        }
        heap[position] = moving;
    }

    void assign(int level, int number)
    {
        octree_node& n = levels[level][number];
        for (int c = 7; c >= 0; --c)
            if (n.children & (1 << c))
                assign(level + 1, number * 8 + c);
        if (n.count) {
            n.index = std::uint8_t(assigned);
            reds[assigned] = std::uint8_t((n.red + n.count / 2) / n.count);
            greens[assigned] = std::uint8_t((n.green + n.count / 2) / n.count);
            blues[assigned] = std::uint8_t((n.blue + n.count / 2) / n.count);
            ++assigned;
        }
    }

    int quantise(const std::uint8_t* source, std::uint8_t* output, std::uint32_t width,
                 std::uint32_t height, int colours, img_thread_state* state);
    int map(const std::uint8_t* source, std::uint8_t* output, std::uint32_t width,
            std::uint32_t height, img_thread_state* state);
};

int img_octree_quantiser::quantise(const std::uint8_t* source, std::uint8_t* output,
                                   std::uint32_t width, std::uint32_t height, int colours,
                                   img_thread_state* state)
{
    if (!source || !output) {
        code = IMG_ERR_ARGUMENT;
        return 0;
    }
    std::memset(reds, 0, sizeof reds);
    std::memset(greens, 0, sizeof greens);
    std::memset(blues, 0, sizeof blues);
    assigned = 0;
    build_spread_tables();
    for (int level = 0, size = 1; level < 6; ++level, size *= 8) {
        levels[level].reset(new (std::nothrow) octree_node[std::size_t(size)]());
        if (!levels[level]) {
            code = IMG_ERR_MEMORY;
            return 0;
        }
    }
    heap.reset(new (std::nothrow) heap_item[32769]);
    if (!heap) {
        code = IMG_ERR_MEMORY;
        return 0;
    }

    octree_node* leaves = levels[5].get();
    const std::uint64_t pixels = std::uint64_t(width) * height;
    const std::uint8_t* p = source;
    for (std::uint64_t i = 0; i < pixels; ++i, p += 3) {
        octree_node& leaf = leaves[spread_red[p[0]] + spread_green[p[1]] + spread_blue[p[2]]];
        leaf.red += p[0];
        leaf.green += p[1];
        leaf.blue += p[2];
        ++leaf.count;
    }
    heap_count = 0;
    for (int n = 0; n < 32768; ++n) {
        octree_node& leaf = leaves[n];
        if (!leaf.count)
            continue;
        heap[++heap_count] = heap_item{5, std::uint16_t(n)};
        leaf.weight = leaf.count;
        for (int level = 4, child = n; level >= 0; --level, child >>= 3) {
            octree_node& ancestor = levels[level][child >> 3];
            ancestor.weight += leaf.count;
            ancestor.children |= std::uint8_t(1 << (child & 7));
        }
    }
    for (int position = heap_count; position >= 1; --position)
        sift_down(position);

    while (heap_count > colours) {
        const heap_item top = heap[1];
        if (top.level == 0)
            break;
        const heap_item parent{std::uint8_t(top.level - 1), std::uint16_t(top.node >> 3)};
        octree_node& child = node(top);
        octree_node& up = node(parent);
        if (up.count) {
            heap[1] = heap[heap_count--];
        } else {
            heap[1] = parent;
        }
        up.count += child.count;
        up.red += child.red;
        up.green += child.green;
        up.blue += child.blue;
        up.children &= std::uint8_t(~(1 << (top.node & 7)));
        sift_down(1);
    }
    assign(0, 0);
    const int result = map(source, output, width, height, state);
    for (auto& level : levels)
        level.reset();
    heap.reset();
    return result;
}

int img_octree_quantiser::map(const std::uint8_t* source, std::uint8_t* output,
                              std::uint32_t width, std::uint32_t height, img_thread_state* state)
{
    std::unique_ptr<std::int16_t[]> cells(new (std::nothrow) std::int16_t[32768]);
    // Error entries per column, with one spare column on each side; three channels each.
    const std::size_t row_entries = (std::size_t(width) + 2) * 3;
    std::unique_ptr<int[]> rows(new (std::nothrow) int[row_entries * 2]());
    if (!cells || !rows) {
        code = IMG_ERR_MEMORY;
        return 0;
    }
    std::fill_n(cells.get(), 32768, std::int16_t(-1));
    int limit_table[512];
    for (int d = -256; d < 256; ++d)
        limit_table[d + 256] = d > error_limit ? error_limit : (d < -error_limit ? -error_limit : d);
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };

    int* current = rows.get();
    int* next = rows.get() + row_entries;
    for (std::uint32_t y = 0; y < height; ++y) {
        const bool forward = (y % 2) == 0;
        const long dir = forward ? 1 : -1;
        const long first = forward ? 0 : long(width) - 1;
        // Column x lives at entry (x + 1) * 3.
        auto at = [](int* row, long x) { return row + (x + 1) * 3; };
        if (width > 0)
            std::fill_n(at(next, first), 3, 0);
        for (std::uint32_t step = 0; step < width; ++step) {
            const long x = first + long(step) * dir;
            const std::uint8_t* p = source + (std::size_t(y) * width + std::size_t(x)) * 3;
            int* e = at(current, x);
            int adjusted[3];
            for (int c = 0; c < 3; ++c)
                adjusted[c] = clamp(p[c] + (dither ? ((e[c] + 8) >> 4) : (e[c] >> 1)));
            const int cell = (adjusted[0] >> 3) * 1024 + (adjusted[1] >> 3) * 32 + (adjusted[2] >> 3);
            if (cells[cell] < 0)
                cells[cell] = std::int16_t(img_quant_nearest(adjusted[0], adjusted[1], adjusted[2],
                                                             assigned, reds, greens, blues));
            const int index = cells[cell];
            output[std::size_t(y) * width + std::size_t(x)] = std::uint8_t(index);
            const int chosen[3] = {reds[index], greens[index], blues[index]};
            int* ahead = at(current, x + dir);
            int* below = at(next, x);
            int* below_ahead = at(next, x + dir);
            int* below_behind = at(next, x - dir);
            for (int c = 0; c < 3; ++c) {
                const int err = limit_table[adjusted[c] - chosen[c] + 256];
                if (dither) {
                    ahead[c] += 7 * err;
                    below_ahead[c] = err;
                    below[c] += 5 * err;
                    below_behind[c] += 3 * err;
                } else {
                    below[c] = err;
                    ahead[c] += err;
                }
            }
        }
        std::swap(current, next);
        if (!img_progress(state, y, height)) {
            code = IMG_ERR_CANCELLED;
            return 0;
        }
    }
    return 1;
}

} // namespace

int img_rgb24_to_palette8(const std::uint8_t* image, std::uint32_t width, std::uint32_t height,
                          std::uint8_t* output, int colours, std::uint8_t* palette, int dither)
{
    img_thread_state* state = img_get_thread_state();
    if (!state)
        return 0;
    colours = std::clamp(colours, 1, 256);
    std::unique_ptr<img_octree_quantiser> q(new (std::nothrow) img_octree_quantiser());
    if (!q) {
        img_set_last_error(IMG_ERR_MEMORY);
        return 0;
    }
    q->dither = dither;
    q->error_limit = state->quant_error_limit;
    int result;
    {
        img_depth_guard guard(state);
        result = q->quantise(image, output, width, height, colours, state);
    }
    img_set_last_error(q->code);
    if (result && palette) {
        for (int i = 0; i < colours; ++i) {
            palette[4 * i] = q->blues[i];
            palette[4 * i + 1] = q->greens[i];
            palette[4 * i + 2] = q->reds[i];
        }
    }
    return result;
}
