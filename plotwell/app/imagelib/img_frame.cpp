#include "plotwell/app/imagelib/img_frame.h"
#include "plotwell/app/imagelib/img_streams.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

struct img_state_node {
    img_thread_state* state;
    img_state_node* next;
};

// The thread slot: valid while the module is started; a generation number tells a slot left
// from an earlier start apart from a current one.
bool slot_allocated = false;
std::uint64_t slot_generation = 0;
img_state_node* img_thread_state_list = nullptr;
std::mutex list_lock;

struct thread_slot {
    img_thread_state* state = nullptr;
    std::uint64_t generation = 0;
};
thread_local thread_slot current_slot;

std::atomic<std::int64_t> pixel_limit{std::int64_t(1) << 28};

struct module_lifetime {
    module_lifetime() { img_module_start(); }
    ~module_lifetime() { img_module_shutdown(); }
};
module_lifetime lifetime;

} // namespace

void img_module_start()
{
    std::lock_guard<std::mutex> lock(list_lock);
    if (slot_allocated)
        return;
    slot_allocated = true;
    ++slot_generation;
    img_thread_state_list = nullptr;
}

void img_module_shutdown()
{
    std::lock_guard<std::mutex> lock(list_lock);
    if (!slot_allocated)
        return;
    slot_allocated = false;
    for (img_state_node* node = img_thread_state_list; node;) {
        img_state_node* next = node->next;
        delete node->state;
        delete node;
        node = next;
    }
    img_thread_state_list = nullptr;
}

img_thread_state* img_get_thread_state()
{
    std::uint64_t generation;
    {
        std::lock_guard<std::mutex> lock(list_lock);
        if (!slot_allocated)
            return nullptr;
        generation = slot_generation;
    }
    if (current_slot.state && current_slot.generation == generation)
        return current_slot.state;
    auto* state = new (std::nothrow) img_thread_state();
    auto* node = new (std::nothrow) img_state_node{state, nullptr};
    if (!state || !node) {
        delete state;
        delete node;
        current_slot = {};
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(list_lock);
    if (!slot_allocated || generation != slot_generation) {
        delete state;
        delete node;
        return nullptr;
    }
    node->next = img_thread_state_list;
    img_thread_state_list = node;
    current_slot = {state, generation};
    return state;
}

void img_set_last_error(std::int32_t code)
{
    if (img_thread_state* state = img_get_thread_state())
        state->last_error = code;
}

std::int32_t img_get_last_error()
{
    img_thread_state* state = img_get_thread_state();
    return state ? state->last_error : 0;
}

void img_set_progress(img_progress_proc proc, std::intptr_t user)
{
    if (img_thread_state* state = img_get_thread_state()) {
        state->progress_proc = proc;
        state->progress_user = user;
    }
}

void img_set_pixel_limit(std::int64_t pixels)
{
    pixel_limit = pixels > 0 ? pixels : 1;
}

std::int64_t img_pixel_limit()
{
    return pixel_limit;
}

void img_free(void* block)
{
    img_global_buffer::release(block);
}

bool img_progress(img_thread_state* state, std::int64_t row, std::int64_t count)
{
    if (!state || state->depth != 1 || !state->progress_proc)
        return true;
    return state->progress_proc(std::int32_t(row), std::int32_t(count), state->progress_user) != 0;
}

bool img_image_bytes(std::int64_t width, std::int64_t height, std::int64_t bytes_per_pixel,
                     std::size_t& out)
{
    out = 0;
    if (width <= 0 || height <= 0 || bytes_per_pixel <= 0)
        return false;
    const std::int64_t limit = pixel_limit;
    if (width > limit || height > limit || width > limit / height)
        return false;
    const std::int64_t pixels = width * height;
    if (bytes_per_pixel > (std::int64_t(1) << 40) / pixels)
        return false;
    const std::int64_t bytes = pixels * bytes_per_pixel;
    if (bytes > img_global_buffer::max_bytes)
        return false;
    out = std::size_t(bytes);
    return true;
}
