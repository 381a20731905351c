#include "catalogue/image_decoder.h"

#include "catalogue/bmp_reader.h"
#include "catalogue/jpeg_reader.h"
#include "catalogue/stretch.h"
#include "platform/name_codec.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace volmarin {

namespace {

enum class Reader { Bmp, Jpeg };

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The file as the messages name it: its path in its shown form ("\xHH" for a byte that is
// not UTF-8), kept on one line (a file name may hold any character but "/" and NUL, line
// breaks included).
std::string shownPath(const QString& path) {
    QString shown = nameForDisplay(path);
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || u == 0x85 || u == 0x2028 || u == 0x2029)
            c = QLatin1Char('?');
    }
    return shown.toStdString();
}

[[noreturn]] void refuse(const QString& path, const std::string& reason) {
    throw DecodeError("画像ファイル「" + shownPath(path) + "」を読み込めません：" + reason);
}

[[noreturn]] void giveUp(const QString& path) {
    throw DecodeCancelled("画像ファイル「" + shownPath(path) + "」の読み込みを取り消しました");
}

Reader readerFor(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("bmp"))
        return Reader::Bmp;
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return Reader::Jpeg;
    const std::string readable = "（読み込めるのは bmp、jpg、jpeg のファイルです）";
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        refuse(path, "拡張子がありません" + readable);
    refuse(path, "拡張子「" + shownPath(suffix) + "」の画像は読み込めません" + readable);
}

// Why a file cannot be opened, in the program's words for the usual causes.
std::string openingReason(int error) {
    switch (error) {
    case ENOENT:
        return "ファイルが見つかりません";
    case EACCES:
    case EPERM:
        return "ファイルを読む権限がありません";
    case ENOTDIR:
        return "パスの途中にフォルダーでないものがあります";
    case ELOOP:
        return "シンボリックリンクが循環しているか、多すぎます";
    case ENAMETOOLONG:
        return "パスが長すぎます";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case ENOMEM:
        return "メモリが足りません";
    case EIO:
        return "読み込み中に入出力エラーが起きました";
    default: {
        char buffer[256];
        return std::string("ファイルを開けません（") + strerror_r(error, buffer, sizeof buffer) +
               "）";
    }
    }
}

// Opens a picture for reading. O_NONBLOCK: opening a FIFO would otherwise wait for a
// writer, and some devices wait on open too; only a regular file is read, after which the
// descriptor is made blocking again for plain reads.
std::unique_ptr<std::FILE, FileCloser> openPicture(const QString& path) {
    const int fd = ::open(nameToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        refuse(path, openingReason(errno));
    struct stat info;
    int flags = 0;
    if (::fstat(fd, &info) != 0 || (flags = ::fcntl(fd, F_GETFL)) < 0) {
        const int error = errno;
        ::close(fd);
        refuse(path, openingReason(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        refuse(path, S_ISDIR(info.st_mode)
                         ? "ファイルではなくフォルダーです"
                         : "通常のファイルではありません（パイプ、ソケット、デバイスなど）");
    }
    std::FILE* file = nullptr;
    if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !(file = ::fdopen(fd, "rb"))) {
        const int error = errno;
        ::close(fd);
        refuse(path, openingReason(error));
    }
    return std::unique_ptr<std::FILE, FileCloser>(file);
}

} // namespace

QImage drawPicture(const QString& path, const CanvasPlanner& planner, RowReading reading,
                   const std::atomic<bool>* cancel) {
    RowSampler sampler(planner, cancel);
    if (sampler.cancelled())
        giveUp(path);
    const Reader reader = readerFor(path);
    const std::unique_ptr<std::FILE, FileCloser> file = openPicture(path);
    try {
        if (reader == Reader::Bmp)
            readBmp(file.get(), sampler);
        else
            readJpeg(file.get(), sampler, reading);
    } catch (const DecodeCancelled&) {
        giveUp(path);
    } catch (const DecodeError& e) {
        refuse(path, e.what());
    } catch (const std::bad_alloc&) {
        refuse(path, "メモリが足りません");
    }
    QImage canvas = sampler.takeCanvas();
    if (canvas.isNull())
        refuse(path, "画像を読み取れませんでした");
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
        refuse(path, "サムネイルの大きさ " + std::to_string(n) + " は正の数ではありません");
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
