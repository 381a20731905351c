// Memory bounds of decoding: a thumbnail keeps a few rows, never the whole picture, and
// pictures too large to hold are refused before anything is allocated for them. The heap
// is measured by counting every malloc of this test program (libjpeg's included).

#include "catalogue/image_decoder.h"
#include "support/heap_counter.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace volmarin {
namespace {

const QString kCorpus = QStringLiteral(VOLMARIN_SOURCE_DIR "/../shared/corpus");
constexpr long long kMiB = 1 << 20;

// A real JPEG whose frame header is patched to claim another size: the entropy data runs
// out long before the claimed rows, as in a damaged or truncated file.
QString withClaimedSize(const QString& source, const QString& target, char frameMarker, int width,
                        int height) {
    QFile in(source);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    const qsizetype sof = bytes.indexOf(QByteArray("\xff") + frameMarker);
    EXPECT_GT(sof, 0);
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 255);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 255);
    QFile out(target);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return target;
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const DecodeError& e) {
        return e.what();
    }
    return "no error";
}

class DecodeMemoryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(DecodeMemoryTest, MeterSeesAWholeDecodeButAThumbnailStaysSmall) {
    const QString path = dir.filePath("big.bmp");
    {
        QImage picture(3000, 2000, QImage::Format_RGB32);
        picture.fill(qRgb(1, 2, 3));
        ASSERT_TRUE(picture.save(path, "BMP"));
    }
    const long long whole = heap::peakGrowth([&] { EXPECT_EQ(decodeWhole(path).width(), 3000); });
    EXPECT_GE(whole, 3000LL * 2000 * 3);
    const long long thumb =
        heap::peakGrowth([&] { EXPECT_EQ(makeThumbnail(path, 80, false).width(), 80); });
    EXPECT_LE(thumb, 1 * kMiB);
}

TEST_F(DecodeMemoryTest, HugeBaselineJpegGivesAThumbnailFromAFewRows) {
    // 12000 x 12000 would take 412 MiB whole: refused whole, but a thumbnail is fine.
    const QString path = withClaimedSize(kCorpus + "/libjpeg-turbo-testimages/testorig.jpg",
                                         dir.filePath("claims12000.jpg"), '\xc0', 12000, 12000);
    const long long thumb = heap::peakGrowth([&] {
        const QImage t = makeThumbnail(path, 80, false);
        EXPECT_EQ(t.size(), QSize(80, 80));
    });
    EXPECT_LE(thumb, 8 * kMiB);
    std::string error;
    const long long whole = heap::peakGrowth([&] { error = errorOf([&] { decodeWhole(path); }); });
    EXPECT_NE(error.find("12000 × 12000 ピクセルの画像は作れません（256 MiB までです）"),
              std::string::npos)
        << error;
    EXPECT_LE(whole, 1 * kMiB);
}

TEST_F(DecodeMemoryTest, APhotoPackedWithApp1SegmentsKeepsOnlyItsFirstExifBlock) {
    QFile in(kCorpus + "/pillow-tests-images/hopper_orientation_6.jpg"), out(dir.filePath("x.jpg"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    const QByteArray photo = in.readAll(), segment = "\xff\xe1\xff\xff" + QByteArray(65533, 'x');
    out.write(photo.left(2) + segment.repeated(200) + photo.mid(2)); // 13 MB before the Exif
    out.close();
    EXPECT_LE(heap::peakGrowth([&] {
                  EXPECT_EQ(makeThumbnail(out.fileName(), 80, false),
                            makeThumbnail(in.fileName(), 80, false));
              }),
              1 * kMiB);
}

TEST_F(DecodeMemoryTest, ImpossibleSizesAreRefusedBeforeAllocating) {
    const QString path = withClaimedSize(kCorpus + "/libjpeg-turbo-testimages/testorig.jpg",
                                         dir.filePath("claims60000.jpg"), '\xc0', 60000, 60000);
    std::string error;
    const long long used =
        heap::peakGrowth([&] { error = errorOf([&] { makeThumbnail(path, 80, false); }); });
    EXPECT_NE(error.find("「" + path.toStdString() +
                         "」を読み込めません：画像が大きすぎて読み込めません（"
                         "60000 × 60000 ピクセル"),
              std::string::npos)
        << error;
    EXPECT_LE(used, 1 * kMiB);

    const QString bmp = kCorpus + "/bmpsuite/b/reallybig.bmp";
    const long long bmpUsed =
        heap::peakGrowth([&] { error = errorOf([&] { makeThumbnail(bmp, 80, false); }); });
    EXPECT_NE(error.find("画像が大きすぎて読み込めません"), std::string::npos) << error;
    EXPECT_LE(bmpUsed, 1 * kMiB);
}

TEST_F(DecodeMemoryTest, ProgressiveJpegBeyondTheDecoderMemoryLimitFailsCleanly) {
    // A progressive file must be held whole as coefficients: 30000 x 30000 would need
    // gigabytes, more than the decoder is allowed.
    const QString path = withClaimedSize(kCorpus + "/pillow-tests-images/app13-multiple.jpg",
                                         dir.filePath("progressive.jpg"), '\xc2', 30000, 30000);
    std::string error;
    const long long used =
        heap::peakGrowth([&] { error = errorOf([&] { makeThumbnail(path, 80, false); }); });
    EXPECT_NE(error.find("JPEG の復号に 512 MiB を超えるメモリが要ります"), std::string::npos)
        << error;
    EXPECT_LE(used, 8 * kMiB);
}

} // namespace
} // namespace volmarin
