#pragma once

#include <cstdio>

namespace volmarin {

class RowSampler;

// Decodes a JPEG file with libjpeg, whole and at full size, handing every row to the
// sampler as 24-bit RGB. Throws DecodeError with libjpeg's own message on failure.
void readJpeg(std::FILE* file, RowSampler& sampler);

} // namespace volmarin
