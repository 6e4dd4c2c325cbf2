// Pixel converters: one scalar form per conversion that reads like its rule.
#pragma once

#include <cstdint>

namespace vc15::scalar {

void Rgb555ToRgb565(uint16_t* dst, const uint16_t* src, int32_t count);
void Rgb565ToRgb555(uint16_t* dst, const uint16_t* src, int32_t count);
void Rgb888ToRgb565(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgb888ToRgb555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb1555(uint16_t* dst, const uint8_t* src, int32_t count);
void Rgba8888ToArgb4444(uint16_t* dst, const uint8_t* src, int32_t count);

}  // namespace vc15::scalar
