// Public image corpora (good, odd, damaged and fuzzed files): every BMP and JPEG either
// gives a thumbnail of the asked size or a clean DecodeError, and the good ones decode to
// the pixels that reference renderings show.

#include "catalogue/image_decoder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace volmarin {
namespace {

const QString kCorpus = QStringLiteral(VOLMARIN_SOURCE_DIR "/../shared/corpus");

QStringList picturesIn(const QString& folder) {
    QStringList paths;
    const QDir dir(kCorpus + "/" + folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        const QString extension = info.suffix().toLower();
        if (extension == "bmp" || extension == "jpg" || extension == "jpeg")
            paths << info.filePath();
    }
    return paths;
}

// Largest difference of any channel; -1 when the sizes differ.
int largestDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i)
            worst = std::max(worst, std::abs(x.constScanLine(row)[i] - y.constScanLine(row)[i]));
    return worst;
}

TEST(DecodeCorpusTest, EveryFileGivesAThumbnailOrACleanError) {
    int thumbnails = 0, errors = 0;
    qint64 slowest = 0;
    QString slowestFile;
    for (const char* folder :
         {"bmpsuite/g", "bmpsuite/q", "bmpsuite/b", "bmpsuite/x", "libjpeg-turbo-testimages",
          "pillow-tests-images", "imagetestsuite"}) {
        const QStringList paths = picturesIn(folder);
        ASSERT_FALSE(paths.isEmpty()) << folder;
        for (const QString& path : paths) {
            for (const bool slowRead : {false, true}) {
                QElapsedTimer timer;
                timer.start();
                try {
                    const QImage thumbnail = makeThumbnail(path, 80, slowRead);
                    EXPECT_EQ(thumbnail.size(), QSize(80, 80)) << path.toStdString();
                    ++thumbnails;
                } catch (const DecodeError& e) {
                    const std::string text = e.what();
                    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
                    EXPECT_EQ(
                        text.rfind("画像ファイル「" + path.toStdString() + "」を読み込めません：",
                                   0),
                        0u)
                        << text;
                    ++errors;
                }
                if (timer.elapsed() > slowest) {
                    slowest = timer.elapsed();
                    slowestFile = path;
                }
            }
        }
    }
    std::cout << "corpus: " << thumbnails << " thumbnails, " << errors << " clean errors; slowest "
              << slowest << " ms (" << QFileInfo(slowestFile).fileName().toStdString() << ")\n";
    // No single file may stall a load: a hang shows up here as a very slow file.
    EXPECT_LT(slowest, 5000);
}

TEST(DecodeCorpusTest, GoodBmpsMatchTheirReferenceRenderings) {
    // Each BMP is compared with the rendering whose name is the longest prefix of its own
    // (pal8topdown.bmp shows pal8.png); 32-bit files show the same picture as rgb24.png.
    const QDir references(kCorpus + "/bmpsuite/reference-png");
    const QStringList pngs = references.entryList({"*.png"}, QDir::Files);
    int compared = 0;
    for (const QString& path : picturesIn("bmpsuite/g")) {
        SCOPED_TRACE(path.toStdString());
        const QImage decoded = decodeWhole(path); // a good BMP must decode
        QString stem = QFileInfo(path).completeBaseName();
        QString best;
        for (const QString& png : pngs) {
            const QString name = QFileInfo(png).completeBaseName();
            if (stem.startsWith(name) && name.size() > best.size())
                best = name;
        }
        if (best.isEmpty() && stem.startsWith("rgb32"))
            best = "rgb24";
        ASSERT_FALSE(best.isEmpty());
        const QImage reference(references.filePath(best + ".png"));
        ASSERT_FALSE(reference.isNull());
        if (reference.size() != decoded.size())
            continue; // a rendering corrected for non-square pixels
        EXPECT_EQ(largestDifference(decoded, reference), 0) << best.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 25);
}

struct Ppm {
    QImage image;
    bool ok = false;
};

// ImageMagick's decode of a file, turned upright by its Exif Orientation as the program
// shows it, as binary PPM, or nothing when it reports any problem.
Ppm decodeWithImageMagick(const QString& convert, const QString& path) {
    QProcess process;
    process.start(convert, {path, "-auto-orient", "-depth", "8", "ppm:-"});
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !process.readAllStandardError().isEmpty())
        return {};
    const QByteArray bytes = process.readAllStandardOutput();
    // "P6", width, height, maximum, each followed by one white-space character.
    int fields[3] = {0, 0, 0};
    qsizetype pos = 2;
    if (!bytes.startsWith("P6"))
        return {};
    for (int& field : fields) {
        while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos])))
            ++pos;
        while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])))
            field = field * 10 + (bytes[pos++] - '0');
    }
    ++pos;
    const auto [width, height, maximum] = fields;
    if (maximum != 255 || bytes.size() < pos + qsizetype{3} * width * height)
        return {};
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), bytes.constData() + pos + qsizetype{3} * width * y,
                    std::size_t{3} * width);
    return {image, true};
}

TEST(DecodeCorpusTest, ValidJpegsMatchImageMagick) {
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    // Both decoders run libjpeg with the accurate integer DCT and smooth upsampling, and
    // both turn inverted CMYK into RGB as c * k / 255 rounded, so the pixels agree exactly.
    constexpr int kTolerance = 0;
    int compared = 0, worstSeen = 0;
    for (const char* folder :
         {"libjpeg-turbo-testimages", "pillow-tests-images", "imagetestsuite"}) {
        for (const QString& path : picturesIn(folder)) {
            if (QFileInfo(path).suffix().toLower() == "bmp")
                continue;
            const Ppm reference = decodeWithImageMagick(convert, path);
            if (!reference.ok)
                continue; // not a valid JPEG to ImageMagick either
            QImage decoded;
            try {
                decoded = decodeWhole(path);
            } catch (const DecodeError& e) {
                ADD_FAILURE() << "ImageMagick reads it cleanly: " << e.what();
                continue;
            }
            const int difference = largestDifference(decoded, reference.image);
            EXPECT_TRUE(difference >= 0 && difference <= kTolerance)
                << path.toStdString() << ": largest difference " << difference;
            worstSeen = std::max(worstSeen, difference);
            ++compared;
        }
    }
    std::cout << "ImageMagick: " << compared << " JPEGs compared, largest difference " << worstSeen
              << "\n";
    EXPECT_GE(compared, 40);
}

} // namespace
} // namespace volmarin
