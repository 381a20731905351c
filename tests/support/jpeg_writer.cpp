#include "support/jpeg_writer.h"

#include <QFile>

namespace volmarin::test {

int inputComponents(const JpegSettings& settings) {
    return settings.input == JCS_GRAYSCALE ? 1 : settings.input == JCS_CMYK ? 4 : 3;
}

QByteArray exifOrientationSegment(int orientation, bool bigEndian) {
    // Byte order, 42, IFD0 at 8; one entry: tag 0x0112, SHORT, count 1, the value in the
    // first half of its field; no next IFD.
    QByteArray tiff =
        QByteArray::fromHex(bigEndian ? "4d4d002a00000008000101120003000000010000000000000000"
                                      : "49492a0008000000010012010300010000000000000000000000");
    tiff[bigEndian ? 19 : 18] = char(orientation);
    return QByteArray("Exif\0\0", 6) + tiff;
}

bool writeJpeg(const QString& path, int width, int height, const JpegSettings& settings,
               const std::function<void(int y, JSAMPLE* row)>& fillRow) {
    std::FILE* file = std::fopen(QFile::encodeName(path), "wb");
    if (!file) {
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = inputComponents(settings);
    cinfo.in_color_space = settings.input;
    jpeg_set_defaults(&cinfo);
    if (settings.stored != JCS_UNKNOWN) {
        jpeg_set_colorspace(&cinfo, settings.stored);
    }
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    bool ok = settings.factors.empty() ||
              cinfo.num_components == static_cast<int>(settings.factors.size());
    for (std::size_t c = 0; ok && c < settings.factors.size(); ++c) {
        cinfo.comp_info[c].h_samp_factor = settings.factors[c].first;
        cinfo.comp_info[c].v_samp_factor = settings.factors[c].second;
    }
    std::vector<jpeg_scan_info> scans;
    if (settings.progressive) {
        jpeg_simple_progression(&cinfo);
    } else if (settings.scanPerComponent) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            scans.push_back({1, {c, 0, 0, 0}, 0, 63, 0, 0});
        }
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
    }
    cinfo.arith_code = settings.arithmetic;
    cinfo.restart_interval = settings.restartInterval;
    cinfo.write_Adobe_marker = settings.adobeMarker;
    if (ok) {
        jpeg_start_compress(&cinfo, TRUE);
        if (!settings.exif.isEmpty()) {
            jpeg_write_marker(&cinfo, JPEG_APP0 + 1,
                              reinterpret_cast<const JOCTET*>(settings.exif.constData()),
                              static_cast<unsigned>(settings.exif.size()));
        }
        std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * cinfo.input_components);
        while (cinfo.next_scanline < cinfo.image_height) {
            fillRow(static_cast<int>(cinfo.next_scanline), row.data());
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
    }
    jpeg_destroy_compress(&cinfo);
    return (std::fclose(file) == 0) && ok;
}

} // namespace volmarin::test
