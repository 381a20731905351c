#pragma once

#include <cstdio>

namespace volmarin {

class RowSampler;

// What the JPEG reader does with the rows that no canvas row shows.
enum class RowReading {
    // Skipped with jpeg_skip_scanlines, which still entropy-decodes them but leaves out the
    // inverse DCT, upsampling and colour conversion wherever it can do so exactly; reading
    // stops after the last row shown. The program's way.
    SkipUnshown,
    // Every row of the picture decoded in full, as a plain whole decode does: the
    // reference that the skipping must equal pixel for pixel.
    ReadAll,
};

// Decodes a JPEG file with libjpeg at full size, handing the rows the sampler wants to it
// as 24-bit RGB, with the Orientation of the file's Exif block. Throws DecodeError with libjpeg's
// own message on failure, and DecodeCancelled when the sampler's cancel flag is raised.
void readJpeg(std::FILE* file, RowSampler& sampler, RowReading reading);

} // namespace volmarin
