#pragma once

#include "catalogue/decode_error.h"
#include "catalogue/fitting.h"

#include <QImage>
#include <QString>

namespace volmarin {

// The reader of a file is chosen by its extension, whatever its letter case: "bmp" is read
// as a BMP file, "jpg" and "jpeg" are decoded with libjpeg; anything else is refused.
// Every function here is reentrant (no shared state; QImage only), so a thread pool may
// run them side by side. All failures are DecodeErrors whose one-line text names the file
// and the reader's reason.

// The thumbnail of a file: an n x n RGB888 image, white, with the picture drawn into the
// rectangle that fitThumbnail gives. With slowRead, a picture larger than 4n both ways is
// first reduced to a quarter of its width and height and that reduction is fitted.
QImage makeThumbnail(const QString& path, int n, bool slowRead);

// The viewer's canvas: sw x sh, black, with the picture drawn where fitToScreen puts it.
QImage composeOnScreen(const QString& path, int sw, int sh);

// The whole picture at full size as RGB888 (for tests and references); refused above
// 256 MiB of pixels.
QImage decodeWhole(const QString& path);

} // namespace volmarin
