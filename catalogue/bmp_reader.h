#pragma once

#include <cstdio>

namespace volmarin {

class RowSampler;

// Reads a BMP (device-independent bitmap) file row by row: Windows and OS/2 headers,
// bottom-up and top-down, 1/2/4/8-bit palettes, 16/24/32 bits with or without bit fields,
// RLE8 and RLE4. Uncompressed files are read only at the rows the sampler wants. Throws
// DecodeError with the reason for anything else.
void readBmp(std::FILE* file, RowSampler& sampler);

} // namespace volmarin
