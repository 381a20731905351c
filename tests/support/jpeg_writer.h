#pragma once

// One JPEG writer for the decoder tests and the benchmarks: libjpeg's compressor with the
// settings a file is to be made with, rows filled by the caller.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace volmarin::test {

struct JpegSettings {
    J_COLOR_SPACE input = JCS_RGB;      // what the rows hold: JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    J_COLOR_SPACE stored = JCS_UNKNOWN; // the file's colour space; JCS_UNKNOWN: libjpeg's choice
    std::vector<std::pair<int, int>> factors; // h, v sampling factor of each component, or none
    int quality = 90;
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false; // sequential, but one scan for each component
    bool adobeMarker = false;
    int restartInterval = 0; // in MCUs
    QByteArray exif;         // when not empty, an APP1 segment with this payload
};

// The Exif block of a phone photo reduced to what turns it: "Exif\0\0", a TIFF header in
// either byte order and IFD0 with one entry, Orientation (tag 0x0112, SHORT, count 1).
QByteArray exifOrientationSegment(int orientation, bool bigEndian = false);

// Samples per pixel of the rows for settings.input.
int inputComponents(const JpegSettings& settings);

// Writes a width x height JPEG to path; fillRow(y, row) fills row y with width times
// inputComponents() samples. False when the file cannot be written or the sampling
// factors do not match the stored colour space's components.
bool writeJpeg(const QString& path, int width, int height, const JpegSettings& settings,
               const std::function<void(int y, JSAMPLE* row)>& fillRow);

} // namespace volmarin::test
