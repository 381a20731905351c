// The row-by-row decoders against whole decodes: every thumbnail and viewer canvas must be
// exactly the whole picture stretched, and damaged or odd files must fail cleanly (a damaged
// Exif block leaves the picture as stored).

#include "catalogue/exif_orientation.h"
#include "catalogue/image_decoder.h"
#include "catalogue/stretch.h"
#include "support/jpeg_writer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <random>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace volmarin {
namespace {

const QString kCorpus = QStringLiteral(VOLMARIN_SOURCE_DIR "/../shared/corpus");

enum class JpegKind { Baseline, Progressive, Gray, Cmyk, AdobeCmyk };

// Writes pixels (RGB888; for CMYK the four components come from cmyk()) with libjpeg.
void writeJpeg(const QString& path, const QImage& rgb, JpegKind kind, int quality = 90,
               std::function<void(int x, int y, JSAMPLE* out)> cmyk = {}) {
    const bool isCmyk = kind == JpegKind::Cmyk || kind == JpegKind::AdobeCmyk;
    test::JpegSettings settings;
    settings.input = kind == JpegKind::Gray ? JCS_GRAYSCALE : isCmyk ? JCS_CMYK : JCS_RGB;
    settings.quality = quality;
    settings.progressive = kind == JpegKind::Progressive;
    settings.adobeMarker = kind == JpegKind::AdobeCmyk;
    ASSERT_TRUE(test::writeJpeg(path, rgb.width(), rgb.height(), settings,
                                [&](int y, JSAMPLE* row) {
                                    const uchar* in = rgb.constScanLine(y);
                                    for (int x = 0; x < rgb.width(); ++x) {
                                        if (kind == JpegKind::Gray)
                                            row[x] = in[3 * x + 1];
                                        else if (isCmyk)
                                            cmyk(x, y, &row[4 * x]);
                                        else
                                            std::copy(in + 3 * x, in + 3 * x + 3, &row[3 * x]);
                                    }
                                }))
        << path.toStdString();
}

// Gradients with noise, so that dropping or swapping any row or column shows.
QImage testPicture(int w, int h, unsigned seed = 1) {
    QImage image(w, h, QImage::Format_RGB888);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            p[3 * x] = static_cast<uchar>(x * 255 / std::max(1, w - 1));
            p[3 * x + 1] = static_cast<uchar>(y * 255 / std::max(1, h - 1));
            p[3 * x + 2] = static_cast<uchar>(random());
        }
    }
    return image;
}

// The plain stretching copy on a whole picture, one pixel at a time.
QImage stretchOnto(QImage canvas, const QImage& picture, const Placement& t) {
    for (int ty = 0; ty < t.height; ++ty) {
        const int cy = t.top + ty;
        if (cy < 0 || cy >= canvas.height())
            continue;
        const uchar* in = picture.constScanLine(stretchSource(ty, picture.height(), t.height));
        uchar* out = canvas.scanLine(cy);
        for (int tx = 0; tx < t.width; ++tx) {
            const int cx = t.left + tx;
            if (cx < 0 || cx >= canvas.width())
                continue;
            const int sx = stretchSource(tx, picture.width(), t.width);
            std::copy(in + 3 * sx, in + 3 * sx + 3, out + 3 * cx);
        }
    }
    return canvas;
}

QImage blank(int w, int h, QRgb colour) {
    QImage canvas(w, h, QImage::Format_RGB888);
    canvas.fill(colour);
    return canvas;
}

// The thumbnail by the book: decode whole, optionally reduce to a quarter, fit, stretch.
QImage referenceThumbnail(const QString& path, int n, bool slowRead) {
    QImage picture = decodeWhole(path);
    if (slowRead && picture.width() > 4 * n && picture.height() > 4 * n) {
        const int rw = picture.width() / 4, rh = picture.height() / 4;
        picture = stretchOnto(blank(rw, rh, qRgb(0, 0, 0)), picture, {0, 0, rw, rh});
    }
    return stretchOnto(blank(n, n, qRgb(255, 255, 255)), picture,
                       fitThumbnail(picture.width(), picture.height(), n));
}

class DecodeRowsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
};

TEST_F(DecodeRowsTest, ThumbnailsAndScreensEqualWholeDecodeThenStretch) {
    std::vector<QString> files;
    const struct {
        int w, h;
        JpegKind kind;
    } jpegs[] = {
        {1, 1, JpegKind::Baseline},        {7, 5, JpegKind::Baseline},
        {81, 10, JpegKind::Baseline},      {333, 77, JpegKind::Baseline},
        {97, 211, JpegKind::Baseline},     {301, 199, JpegKind::Gray},
        {517, 389, JpegKind::Progressive}, {1100, 700, JpegKind::Baseline},
    };
    for (const auto& j : jpegs) {
        files.push_back(file(QStringLiteral("p%1x%2-%3.jpg").arg(j.w).arg(j.h).arg(int(j.kind))));
        writeJpeg(files.back(), testPicture(j.w, j.h), j.kind);
    }
    // Qt writes bottom-up BMPs: 24-bit from RGB, 8-bit from indexed, 1-bit from mono.
    const QImage bmpSource = testPicture(333, 211, 7);
    files.push_back(file("rgb.bmp"));
    ASSERT_TRUE(bmpSource.convertToFormat(QImage::Format_RGB32).save(files.back(), "BMP"));
    files.push_back(file("indexed.BMP"));
    ASSERT_TRUE(bmpSource.convertToFormat(QImage::Format_Indexed8).save(files.back(), "BMP"));
    files.push_back(file("mono.bmp"));
    ASSERT_TRUE(testPicture(131, 93, 3)
                    .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                    .save(files.back(), "BMP"));

    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const QImage whole = decodeWhole(path);
        for (const int n : {20, 80, 150}) {
            EXPECT_EQ(makeThumbnail(path, n, false), referenceThumbnail(path, n, false))
                << "n = " << n;
            EXPECT_EQ(makeThumbnail(path, n, true), referenceThumbnail(path, n, true))
                << "n = " << n << " slow";
        }
        // A landscape and a portrait screen; the portrait one cuts wide tall pictures.
        for (const auto& [sw, sh] : {std::pair{1024, 768}, std::pair{90, 200}}) {
            const QImage expected = stretchOnto(blank(sw, sh, qRgb(0, 0, 0)), whole,
                                                fitToScreen(whole.width(), whole.height(), sw, sh));
            EXPECT_EQ(composeOnScreen(path, sw, sh), expected) << sw << " x " << sh;
        }
    }
}

TEST_F(DecodeRowsTest, SlowReadTakesTheTwoStepPathOnlyWhenLargeBothWays) {
    const QString path = file("big.jpg");
    writeJpeg(path, testPicture(1300, 900), JpegKind::Baseline);
    const QImage slow = makeThumbnail(path, 80, true);
    const QImage direct = makeThumbnail(path, 80, false);
    EXPECT_EQ(slow, referenceThumbnail(path, 80, true));
    EXPECT_EQ(direct, referenceThumbnail(path, 80, false));
    // The reduction samples other pixels, so the two must differ on this noisy picture.
    EXPECT_NE(slow, direct);
    // 1300 x 300: not over 4n in height, so both paths give the same.
    const QString wide = file("wide.jpg");
    writeJpeg(wide, testPicture(1300, 300), JpegKind::Baseline);
    EXPECT_EQ(makeThumbnail(wide, 80, true), makeThumbnail(wide, 80, false));
}

TEST_F(DecodeRowsTest, ThumbnailBackgroundAndPlacement) {
    const QString dot = file("dot.bmp");
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(one.save(dot, "BMP"));
    const QImage thumb = makeThumbnail(dot, 80, false);
    ASSERT_EQ(thumb.size(), QSize(80, 80));
    EXPECT_EQ(thumb.format(), QImage::Format_RGB888);
    EXPECT_EQ(thumb.pixel(39, 39), qRgb(10, 20, 30));
    EXPECT_EQ(thumb.pixel(40, 39), qRgb(255, 255, 255));
    EXPECT_EQ(thumb.pixel(0, 0), qRgb(255, 255, 255));

    // A panorama whose fitted height truncates to 0 leaves only the background.
    const QString panorama = file("panorama.bmp");
    QImage strip(20000, 3, QImage::Format_RGB32);
    strip.fill(qRgb(0, 0, 0));
    ASSERT_TRUE(strip.save(panorama, "BMP"));
    EXPECT_EQ(makeThumbnail(panorama, 80, false), blank(80, 80, qRgb(255, 255, 255)));
}

TEST_F(DecodeRowsTest, GrayAndCmykBecomeRgb) {
    const QString gray = file("gray.jpg");
    writeJpeg(gray, testPicture(64, 48), JpegKind::Gray);
    const QImage g = decodeWhole(gray);
    for (int y = 0; y < g.height(); ++y)
        for (int x = 0; x < g.width(); ++x) {
            const QRgb p = g.pixel(x, y);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
        }

    // Left half red, right half dark blue. Plain CMYK stores ink amounts; Adobe files store
    // them inverted (255 is no ink).
    for (const bool adobe : {false, true}) {
        const QString path = file(adobe ? "adobe.jpg" : "cmyk.jpg");
        writeJpeg(path, QImage(64, 32, QImage::Format_RGB888),
                  adobe ? JpegKind::AdobeCmyk : JpegKind::Cmyk, 95,
                  [adobe](int x, int, JSAMPLE* out) {
                      const JSAMPLE ink[2][4] = {{0, 255, 255, 0}, {255, 255, 0, 128}};
                      for (int i = 0; i < 4; ++i)
                          out[i] = adobe ? 255 - ink[x >= 32][i] : ink[x >= 32][i];
                  });
        const QImage rgb = decodeWhole(path);
        const auto near = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= 4 && std::abs(qGreen(a) - qGreen(b)) <= 4 &&
                   std::abs(qBlue(a) - qBlue(b)) <= 4;
        };
        EXPECT_TRUE(near(rgb.pixel(8, 16), qRgb(255, 0, 0))) << adobe;
        EXPECT_TRUE(near(rgb.pixel(56, 16), qRgb(0, 0, 127))) << adobe;
    }
}

TEST_F(DecodeRowsTest, ArithmeticCodingAndReferencePixels) {
    const QImage arithmetic = decodeWhole(kCorpus + "/libjpeg-turbo-testimages/testimgari.jpg");
    const QImage huffman = decodeWhole(kCorpus + "/libjpeg-turbo-testimages/testimgint.jpg");
    ASSERT_EQ(arithmetic.size(), QSize(227, 149));
    EXPECT_EQ(arithmetic, huffman);

    // The uncompressed original of testorig.jpg: a correct decode is within 3 of it.
    const QImage decoded = decodeWhole(kCorpus + "/libjpeg-turbo-testimages/testorig.jpg");
    QFile ppm(kCorpus + "/libjpeg-turbo-testimages/testorig.ppm");
    ASSERT_TRUE(ppm.open(QIODevice::ReadOnly));
    const QByteArray bytes = ppm.readAll();
    ASSERT_TRUE(bytes.startsWith("P6\n227 149\n255\n"));
    const uchar* original = reinterpret_cast<const uchar*>(bytes.constData()) + 15;
    int worst = 0;
    for (int y = 0; y < 149; ++y)
        for (int i = 0; i < 227 * 3; ++i)
            worst = std::max(worst, std::abs(decoded.constScanLine(y)[i] - original[y * 681 + i]));
    EXPECT_LE(worst, 3);
}

// Writes part of a file under a new name.
QString writeCut(const QString& from, const QString& to, qsizetype length) {
    QFile in(from);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    QFile out(to);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(in.readAll().left(length));
    return to;
}

TEST_F(DecodeRowsTest, TruncatedFilesKeepWhatWasRead) {
    const QString jpeg = file("whole.jpg");
    writeJpeg(jpeg, testPicture(400, 300), JpegKind::Baseline);
    const QImage full = decodeWhole(jpeg);
    const QString cutJpeg = writeCut(jpeg, file("cut.jpg"), QFileInfo(jpeg).size() / 2);
    const QImage partial = decodeWhole(cutJpeg);
    ASSERT_EQ(partial.size(), full.size());
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(std::memcmp(partial.constScanLine(y), full.constScanLine(y), 400 * 3), 0) << y;
    EXPECT_EQ(makeThumbnail(cutJpeg, 80, false).size(), QSize(80, 80));

    // Bottom-up BMP: the file holds the bottom rows first, so the top ones are lost.
    const QString bmp = file("whole.bmp");
    ASSERT_TRUE(testPicture(40, 30).convertToFormat(QImage::Format_RGB32).save(bmp, "BMP"));
    const QImage fullBmp = decodeWhole(bmp);
    const QImage partialBmp = decodeWhole(writeCut(bmp, file("cut.bmp"), 54 + 120 * 20));
    EXPECT_EQ(partialBmp.copy(0, 10, 40, 20), fullBmp.copy(0, 10, 40, 20));
    EXPECT_EQ(partialBmp.copy(0, 0, 40, 10), blank(40, 10, qRgb(0, 0, 0)));

    // Only a header, or nothing at all: clean errors.
    EXPECT_THROW(decodeWhole(writeCut(jpeg, file("head.jpg"), 100)), DecodeError);
    EXPECT_THROW(decodeWhole(writeCut(jpeg, file("empty.jpg"), 0)), DecodeError);
    EXPECT_THROW(decodeWhole(writeCut(bmp, file("head.bmp"), 30)), DecodeError);
}

TEST_F(DecodeRowsTest, ReaderChosenByExtensionAndErrorsNameFileAndReason) {
    const QString jpeg = file("photo.jpg");
    writeJpeg(jpeg, testPicture(30, 20), JpegKind::Baseline);
    const QImage expected = decodeWhole(jpeg);
    for (const char* name : {"upper.JPG", "long.jpeg", "mixed.JpEg"}) {
        ASSERT_TRUE(QFile::copy(jpeg, file(name)));
        EXPECT_EQ(decodeWhole(file(name)), expected) << name;
    }
    const auto message = [](const QString& path) -> std::string {
        try {
            makeThumbnail(path, 80, false);
        } catch (const DecodeError& e) {
            return e.what();
        }
        return "no error";
    };
    ASSERT_TRUE(QFile::copy(jpeg, file("photo.png")));
    ASSERT_TRUE(QFile::copy(jpeg, file("photo")));
    ASSERT_TRUE(QFile::copy(jpeg, file("disguised.bmp")));
    // A line break in a file name must not break the message's line.
    ASSERT_TRUE(QFile::copy(jpeg, file("two\nlines.png")));
    // Each text is a Japanese lead-in naming the file, then the reason; libjpeg's own
    // message is kept in its words.
    const auto leadIn = [this](const QString& name) {
        return "画像ファイル「" + file(name).toStdString() + "」を読み込めません：";
    };
    const struct {
        QString name;
        std::string reason;
    } cases[] = {
        {"photo.png",
         "拡張子「png」の画像は読み込めません（読み込めるのは bmp、jpg、jpeg のファイルです）"},
        {"photo", "拡張子がありません（読み込めるのは bmp、jpg、jpeg のファイルです）"},
        {"disguised.bmp", "BMP ファイルではありません（先頭に「BM」がありません）"},
        {"missing.jpg", "ファイルが見つかりません"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(message(file(c.name)), leadIn(c.name) + c.reason);
    const std::string twelveBit = message(kCorpus + "/libjpeg-turbo-testimages/monkey12.jpg");
    EXPECT_NE(twelveBit.find("を読み込めません：JPEG を復号できません（libjpeg: Unsupported JPEG "
                             "data precision 12）"),
              std::string::npos)
        << twelveBit;
    const std::string broken = message(file("two\nlines.png"));
    EXPECT_EQ(broken.find('\n'), std::string::npos) << broken;
    EXPECT_NE(broken.find("「" + file("two?lines.png").toStdString() + "」"), std::string::npos)
        << broken;
}

TEST_F(DecodeRowsTest, OnlyRegularFilesAreReadAndOpeningNeverWaits) {
    // Opening a FIFO for reading waits for a writer, which froze the whole load once.
    const QString fifo = file("p4.jpg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("x.jpg"));
    const QString folder = file("x.jpg");
    for (const QString& path : {fifo, folder}) {
        SCOPED_TRACE(path.toStdString());
        for (const bool viewer : {false, true}) {
            auto pending = std::async(std::launch::async, [path, viewer]() -> std::string {
                try {
                    if (viewer)
                        composeOnScreen(path, 1024, 768);
                    else
                        makeThumbnail(path, 80, false);
                } catch (const DecodeError& e) {
                    return e.what();
                }
                return "no error";
            });
            if (pending.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
                // Let the stuck reader go: a writer opening and closing ends its wait.
                ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
                FAIL() << "the reader waited on its file";
            }
            EXPECT_EQ(pending.get(), "画像ファイル「" + path.toStdString() +
                                         "」を読み込めません：" +
                                         (path == folder ? "ファイルではなくフォルダーです"
                                                         : "通常のファイルではありません（パイプ、"
                                                           "ソケット、デバイスなど）"));
        }
    }
}

// A damaged Exif block must neither crash nor turn a picture.
TEST_F(DecodeRowsTest, OnlyAWholeWellFormedExifOrientationTurns) {
    // Little-endian block: IFD0 offset at 10, entry count at 14, type at 18, count at 20.
    const QByteArray six = test::exifOrientationSegment(6);
    const auto patched = [&](int at, char byte) {
        return QByteArray(six).replace(at, 1, &byte, 1);
    };
    const std::vector<std::tuple<const char*, QByteArray, Orientation>> cases = {
        {"little-endian 6", six, Orientation::TurnedClockwise},
        {"big-endian 8", test::exifOrientationSegment(8, true),
         Orientation::TurnedCounterClockwise},
        {"value 9", test::exifOrientationSegment(9, true), Orientation::Upright},
        {"type LONG", patched(18, 4), Orientation::Upright},
        {"count 2", patched(20, 2), Orientation::Upright},
        {"IFD0 past the end", patched(13, '\xff'), Orientation::Upright},
        {"more entries than the block holds", patched(14, 2), Orientation::Upright},
        {"cut inside the entry", six.left(27), Orientation::Upright},
    };
    for (const auto& [what, block, expected] : cases)
        EXPECT_EQ(orientationFromExif(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                      std::size_t(block.size())),
                  expected)
            << what;
}

} // namespace
} // namespace volmarin
