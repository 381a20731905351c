// volmarin-thumb: makes the thumbnail of one picture file exactly as the catalogue does,
// and writes it as a binary PPM. Exit status 0 written, 1 the picture could not be read
// (the reason on one line of standard error), 2 bad arguments.

#include "catalogue/image_decoder.h"
#include "platform/name_codec.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fputs("使い方: volmarin-thumb [--size N] [--slow] 画像ファイル 出力.ppm\n"
               "  --size N  サムネイルの 1 辺のピクセル数、1 から 4096（既定は 80）\n"
               "  --slow    縦横とも 4N より大きい画像は先に 4 分の 1 に縮める（低速読み）\n",
               stderr);
    return 2;
}

bool parseSize(const char* text, int& size) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > 4096)
        return false;
    size = static_cast<int>(value);
    return true;
}

bool writePpm(const QImage& image, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    bool ok = std::fprintf(out, "P6\n%d %d\n255\n", image.width(), image.height()) > 0;
    const std::size_t rowBytes = std::size_t{3} * image.width();
    for (int y = 0; ok && y < image.height(); ++y)
        ok = std::fwrite(image.constScanLine(y), 1, rowBytes, out) == rowBytes;
    return std::fclose(out) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    int size = 80;
    bool slow = false;
    const char* positional[2] = {nullptr, nullptr};
    int positionalCount = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0) {
            if (i + 1 >= argc || !parseSize(argv[++i], size))
                return usage();
        } else if (std::strcmp(argv[i], "--slow") == 0) {
            slow = true;
        } else if (positionalCount < 2) {
            positional[positionalCount++] = argv[i];
        } else {
            return usage();
        }
    }
    if (positionalCount != 2)
        return usage();

    try {
        const QImage thumbnail =
            volmarin::makeThumbnail(volmarin::nameFromBytes(positional[0]), size, slow);
        if (!writePpm(thumbnail, positional[1])) {
            std::fprintf(stderr, "サムネイルを「%s」に書き込めません：%s\n", positional[1],
                         std::strerror(errno));
            return 1;
        }
    } catch (const std::exception& e) {
        std::string line = e.what();
        for (char& c : line)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    return 0;
}
