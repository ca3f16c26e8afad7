#pragma once
// Resizing of memory images: bilinear (any n-byte image; 24-bit with one key colour kept
// unblended; 8-bit through its palette), nearest neighbour, separable filtering with one of
// fourteen kernels, and rectangle cuts.
#include "plotwell/app/imagelib/img_frame.h"

int img_resample(const std::uint8_t* source, std::uint32_t source_width,
                 std::uint32_t source_height, std::uint8_t* destination,
                 std::uint32_t destination_width, std::uint32_t destination_height,
                 int bytes_per_pixel);
// `key` is a colour value kept unblended, or 0xFFFFFFFF for none.
int img_resize_rgb24(const std::uint8_t* source, std::uint32_t source_width,
                     std::uint32_t source_height, std::uint8_t* destination,
                     std::uint32_t destination_width, std::uint32_t destination_height,
                     std::uint32_t key);
int img_crop(const std::uint8_t* source, std::uint32_t source_width, std::uint32_t source_height,
             std::uint8_t* destination, std::uint32_t x, std::uint32_t y, std::uint32_t width,
             std::uint32_t height, int bytes_per_pixel);
// left, top, right, bottom are inclusive; the cut must be at least 2 × 2 pixels.
int img_crop_resize_rgb24(const std::uint8_t* source, std::uint32_t source_width,
                          std::uint32_t source_height, std::uint32_t left, std::uint32_t top,
                          std::uint32_t right, std::uint32_t bottom, std::uint8_t* destination,
                          std::uint32_t destination_width, std::uint32_t destination_height);
int img_resize_nearest(const std::uint8_t* source, std::uint32_t source_width,
                       std::uint32_t source_height, int bytes_per_pixel,
                       std::uint8_t* destination, std::uint32_t destination_width,
                       std::uint32_t destination_height);
int img_resize_palette8(const std::uint8_t* source, std::uint32_t source_width,
                        std::uint32_t source_height, std::uint8_t* destination,
                        std::uint32_t destination_width, std::uint32_t destination_height,
                        int palette_count, const std::uint8_t* palette);
// Filter numbers 0..13: box, triangle, Hamming, Gaussian, quadratic bell, cubic B-spline,
// Hermite, cubic B-spline, Lanczos3, Mitchell, sinc, Hermite, Hanning, Catmull-Rom.
int img_resample_filtered(const std::uint8_t* source, std::uint32_t source_width,
                          std::uint32_t source_height, std::uint8_t* destination,
                          std::uint32_t destination_width, std::uint32_t destination_height,
                          int bytes_per_pixel, int filter);

// Kernel value and support of a filter (internal; exposed for tests).
double img_filter_kernel(int filter, double x);
double img_filter_support(int filter);
// Rounds half away from zero.
double img_round_half_away(double value);
