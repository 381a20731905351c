#include "bench_support.h"

#include "support/jpeg_writer.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include <jpeglib.h>

namespace volmarin::bench {

bool writeTestPhoto(const QString& path, int width, int height, bool progressive, int orientation) {
    test::JpegSettings settings;
    settings.progressive = progressive;
    if (orientation > 0)
        settings.exif = test::exifOrientationSegment(orientation);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> noise(-12, 12);
    const auto clamp = [](int v) { return static_cast<JSAMPLE>(std::clamp(v, 0, 255)); };
    return test::writeJpeg(path, width, height, settings, [&](int y, JSAMPLE* row) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = clamp(x * 255 / width + noise(random));
            row[3 * x + 1] = clamp(y * 255 / height + noise(random));
            row[3 * x + 2] = clamp(((x / 40 + y / 40) % 2) * 120 + 60 + noise(random));
        }
    });
}

void bareDecode(const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(std::size_t{cinfo.output_width} * cinfo.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, rows, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double residentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return -1;
}

namespace {

bool offscreenPlatform() {
    return qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

OffscreenRun::OffscreenRun(int& argc, char** argv)
    : offscreen_(offscreenPlatform()), app_(argc, argv), previous_(QDir::currentPath()) {
    QDir::setCurrent(folder_.path());
}

OffscreenRun::~OffscreenRun() {
    QDir::setCurrent(previous_);
}

} // namespace volmarin::bench
