#pragma once

#include "catalogue/decode_error.h"
#include "catalogue/fitting.h"
#include "catalogue/jpeg_reader.h"
#include "catalogue/stretch.h"

#include <QImage>
#include <QString>

#include <atomic>

namespace volmarin {

// The reader of a file is chosen by its extension, whatever its letter case: "bmp" is read
// as a BMP file, "jpg" and "jpeg" are decoded with libjpeg; anything else is refused.
// Only regular files are read; opening never blocks (a FIFO or a device is refused).
// Every function here is reentrant (no shared state; QImage only), so a thread pool may
// run them side by side. All failures are DecodeErrors whose one-line text names the file
// and the reader's reason.
//
// "The picture" is the upright picture: a JPEG stored turned or mirrored, as its Exif
// Orientation tag says, is fitted and drawn as it looks once turned (exif_orientation.h).
//
// With a cancel flag, a decode watches it between rows (rows read and rows skipped alike)
// and, for JPEG files, while libjpeg takes in the compressed data; once it is raised the
// decode gives up within about a row and throws DecodeCancelled.

// The thumbnail of a file: an n x n RGB888 image, white, with the picture drawn into the
// rectangle that fitThumbnail gives. With slowRead, a picture larger than 4n both ways is
// first reduced to a quarter of its width and height and that reduction is fitted.
QImage makeThumbnail(const QString& path, int n, bool slowRead,
                     const std::atomic<bool>* cancel = nullptr);

// The viewer's canvas: sw x sh, black, with the picture drawn where fitToScreen puts it.
QImage composeOnScreen(const QString& path, int sw, int sh,
                       const std::atomic<bool>* cancel = nullptr);

// The whole upright picture at full size as RGB888 (for tests and references); refused above
// 256 MiB of pixels.
QImage decodeWhole(const QString& path);

// The plans behind makeThumbnail and composeOnScreen.
CanvasPlanner thumbnailPlanner(int n, bool slowRead);
CanvasPlanner screenPlanner(int sw, int sh);

// Decodes the file onto the canvas that the planner asks for once the picture's size is
// known. makeThumbnail and composeOnScreen skip the JPEG rows they do not show;
// RowReading::ReadAll decodes every row, the reference they must equal.
QImage drawPicture(const QString& path, const CanvasPlanner& planner, RowReading reading,
                   const std::atomic<bool>* cancel = nullptr);

} // namespace volmarin
