#include "catalogue/image_decoder.h"

#include "catalogue/bmp_reader.h"
#include "catalogue/jpeg_reader.h"
#include "catalogue/stretch.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace volmarin {

namespace {

enum class Reader { Bmp, Jpeg };

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void refuse(const QString& path, const std::string& reason) {
    throw DecodeError(path.toStdString() + ": " + reason);
}

Reader readerFor(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("bmp"))
        return Reader::Bmp;
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return Reader::Jpeg;
    refuse(path, "no reader for the extension \"" + QFileInfo(path).suffix().toStdString() +
                     "\" (only bmp, jpg and jpeg files are read)");
}

} // namespace

QImage drawPicture(const QString& path, const CanvasPlanner& planner, RowReading reading,
                   const std::atomic<bool>* cancel) {
    RowSampler sampler(planner, cancel);
    if (sampler.cancelled())
        throw DecodeCancelled(path.toStdString() + ": cancelled");
    const Reader reader = readerFor(path);
    // "e": the descriptor is not inherited by programs started meanwhile.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(QFile::encodeName(path), "rbe"));
    if (!file) {
        char buffer[256];
        refuse(path, strerror_r(errno, buffer, sizeof buffer));
    }
    try {
        if (reader == Reader::Bmp)
            readBmp(file.get(), sampler);
        else
            readJpeg(file.get(), sampler, reading);
    } catch (const DecodeCancelled&) {
        throw DecodeCancelled(path.toStdString() + ": cancelled");
    } catch (const DecodeError& e) {
        refuse(path, e.what());
    } catch (const std::bad_alloc&) {
        refuse(path, "out of memory");
    }
    QImage canvas = sampler.takeCanvas();
    if (canvas.isNull())
        refuse(path, "no picture was read");
    return canvas;
}

CanvasPlanner thumbnailPlanner(int n, bool slowRead) {
    return [n, slowRead](int pw, int ph) {
        CanvasPlan plan;
        plan.canvasWidth = n;
        plan.canvasHeight = n;
        plan.background = qRgb(255, 255, 255);
        // The reduction helps only pictures much larger than the thumbnail both ways.
        if (slowRead && pw > std::int64_t{4} * n && ph > std::int64_t{4} * n) {
            plan.stageWidth = pw / 4;
            plan.stageHeight = ph / 4;
            plan.target = fitThumbnail(plan.stageWidth, plan.stageHeight, n);
        } else {
            plan.target = fitThumbnail(pw, ph, n);
        }
        return plan;
    };
}

CanvasPlanner screenPlanner(int sw, int sh) {
    return [sw, sh](int pw, int ph) {
        CanvasPlan plan;
        plan.canvasWidth = sw;
        plan.canvasHeight = sh;
        plan.background = qRgb(0, 0, 0);
        plan.target = fitToScreen(pw, ph, sw, sh);
        return plan;
    };
}

QImage makeThumbnail(const QString& path, int n, bool slowRead, const std::atomic<bool>* cancel) {
    if (n <= 0)
        refuse(path, "the thumbnail size " + std::to_string(n) + " is not positive");
    return drawPicture(path, thumbnailPlanner(n, slowRead), RowReading::SkipUnshown, cancel);
}

QImage composeOnScreen(const QString& path, int sw, int sh, const std::atomic<bool>* cancel) {
    return drawPicture(path, screenPlanner(sw, sh), RowReading::SkipUnshown, cancel);
}

QImage decodeWhole(const QString& path) {
    return drawPicture(
        path,
        [](int pw, int ph) {
            CanvasPlan plan;
            plan.canvasWidth = pw;
            plan.canvasHeight = ph;
            plan.target = {0, 0, pw, ph};
            return plan;
        },
        RowReading::ReadAll);
}

} // namespace volmarin
