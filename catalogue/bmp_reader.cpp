#include "catalogue/bmp_reader.h"

#include "catalogue/decode_error.h"
#include "catalogue/stretch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace volmarin {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr std::uint32_t kOs2v1HeaderSize = 12;
constexpr std::uint32_t kWindowsInfoHeaderSize = 40;
constexpr std::uint32_t kLargestHeaderSize = 124; // BITMAPV5HEADER

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

[[noreturn]] void fail(const std::string& reason) {
    throw DecodeError(reason);
}

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Reads up to size bytes at offset; what lies beyond the end of the file reads as zeros.
// Returns false when nothing at all could be read.
bool readAt(std::FILE* file, std::int64_t offset, std::uint8_t* out, std::size_t size) {
    std::memset(out, 0, size);
    if (offset < 0 || fseeko(file, offset, SEEK_SET) != 0)
        return false;
    return std::fread(out, 1, size, file) > 0;
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1) == 0)
            ++shift;
        max = mask >> shift;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (max == 0)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }
};

using Rgb = std::array<std::uint8_t, 3>;

struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    Channel red, green, blue;
    std::array<Rgb, 256> palette{}; // entries the file lacks stay black
    std::int64_t dataOffset = 0;
    std::int64_t fileSize = 0;
};

Layout readLayout(std::FILE* file) {
    Layout layout;
    if (fseeko(file, 0, SEEK_END) != 0)
        fail("BMP ファイルを読めません");
    layout.fileSize = ftello(file);

    std::uint8_t head[kFileHeaderSize + kLargestHeaderSize + 16];
    if (!readAt(file, 0, head, sizeof head) || layout.fileSize < kFileHeaderSize + 4)
        fail("BMP ファイルとしては短すぎます");
    if (head[0] != 'B' || head[1] != 'M')
        fail("BMP ファイルではありません（先頭に「BM」がありません）");
    const std::uint32_t offBits = le32(head + 10);
    const std::uint8_t* info = head + kFileHeaderSize;
    const std::uint32_t headerSize = le32(info);
    if (layout.fileSize < kFileHeaderSize + std::int64_t{headerSize})
        fail("BMP ファイルがヘッダーの途中で終わっています");

    bool os2 = false;
    std::int64_t width = 0, height = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::int64_t paletteOffset = kFileHeaderSize + std::int64_t{headerSize};
    int paletteEntrySize = 4;
    if (headerSize == kOs2v1HeaderSize) {
        width = le16(info + 4);
        height = le16(info + 6);
        layout.bitCount = le16(info + 10);
        paletteEntrySize = 3;
    } else if ((headerSize >= 16 && headerSize <= 64) || headerSize == 108 ||
               headerSize == kLargestHeaderSize) {
        // OS/2 2.x headers are 16 to 64 bytes; Windows ones are 40, 52, 56, 108 or 124.
        os2 = headerSize < kWindowsInfoHeaderSize || headerSize == 64;
        width = static_cast<std::int32_t>(le32(info + 4));
        height = static_cast<std::int32_t>(le32(info + 8));
        layout.bitCount = le16(info + 14);
        if (headerSize >= 20)
            layout.compression = le32(info + 16);
        if (headerSize >= 36)
            colorsUsed = le32(info + 32);
        if (!os2 && (layout.compression == kBitFields || layout.compression == kAlphaBitFields)) {
            // Larger headers hold the masks at bytes 40 to 52; a 40-byte header is followed
            // by them, so they sit at the same place, and the palette comes after them.
            masks[0] = le32(info + 40);
            masks[1] = le32(info + 44);
            masks[2] = le32(info + 48);
            if (headerSize < 52)
                paletteOffset += layout.compression == kAlphaBitFields ? 16 : 12;
        }
    } else {
        fail("BMP のヘッダーの大きさ " + std::to_string(headerSize) +
             " バイトには対応していません");
    }

    if (height < 0) {
        layout.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0)
        fail("BMP の画像の大きさ " + std::to_string(width) + " × " + std::to_string(height) +
             " は正しくありません");
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        fail("画像が大きすぎて読み込めません（" + std::to_string(width) + " × " +
             std::to_string(height) + " ピクセル。1 辺 65535 ピクセルまでです）");
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);

    if (os2 && layout.compression == 3)
        fail("OS/2 BMP のハフマン圧縮には対応していません");
    if (os2 && layout.compression == 4)
        fail("OS/2 BMP の RLE24 圧縮には対応していません");
    switch (layout.compression) {
    case kRgb:
        if (layout.bitCount != 1 && layout.bitCount != 2 && layout.bitCount != 4 &&
            layout.bitCount != 8 && layout.bitCount != 16 && layout.bitCount != 24 &&
            layout.bitCount != 32)
            fail("BMP の 1 画素 " + std::to_string(layout.bitCount) +
                 " ビットには対応していません");
        break;
    case kRle8:
        if (layout.bitCount != 8)
            fail("RLE8 圧縮の BMP なのに 1 画素が " + std::to_string(layout.bitCount) +
                 " ビットです");
        break;
    case kRle4:
        if (layout.bitCount != 4)
            fail("RLE4 圧縮の BMP なのに 1 画素が " + std::to_string(layout.bitCount) +
                 " ビットです");
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (layout.bitCount != 16 && layout.bitCount != 32)
            fail("ビットフィールドの BMP なのに 1 画素が " + std::to_string(layout.bitCount) +
                 " ビットです");
        break;
    case kJpeg:
        fail("JPEG を埋め込んだ BMP には対応していません");
    case kPng:
        fail("PNG を埋め込んだ BMP には対応していません");
    default:
        fail("BMP の圧縮形式 " + std::to_string(layout.compression) + " は不明です");
    }

    if (layout.compression == kRgb && layout.bitCount == 16) {
        masks[0] = 0x7c00;
        masks[1] = 0x03e0;
        masks[2] = 0x001f;
    } else if (layout.compression == kRgb && layout.bitCount == 32) {
        masks[0] = 0xff0000;
        masks[1] = 0x00ff00;
        masks[2] = 0x0000ff;
    }
    layout.red = Channel(masks[0]);
    layout.green = Channel(masks[1]);
    layout.blue = Channel(masks[2]);

    // The palette: as many entries as the header declares (all 2^bits when it declares
    // none), but never more than fit before the pixels nor more than the pixels can index.
    std::int64_t entries = 0;
    if (layout.bitCount <= 8) {
        entries = colorsUsed != 0 ? colorsUsed : (std::int64_t{1} << layout.bitCount);
        entries = std::min<std::int64_t>(entries, std::int64_t{1} << layout.bitCount);
        if (offBits > paletteOffset)
            entries = std::min<std::int64_t>(entries, (offBits - paletteOffset) / paletteEntrySize);
        std::uint8_t raw[256 * 4];
        readAt(file, paletteOffset, raw, static_cast<std::size_t>(entries) * paletteEntrySize);
        for (std::int64_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = raw + i * paletteEntrySize;
            layout.palette[static_cast<std::size_t>(i)] = {e[2], e[1], e[0]};
        }
    } else if (colorsUsed != 0 && colorsUsed < (1u << 24)) {
        entries = colorsUsed; // a palette that true-colour pixels do not use
    }
    // Some writers leave the pixel offset at zero; then the pixels follow the palette.
    layout.dataOffset = offBits >= kFileHeaderSize + kOs2v1HeaderSize
                            ? std::int64_t{offBits}
                            : paletteOffset + entries * paletteEntrySize;
    return layout;
}

// Turns one stored row into packed RGB.
void convertRow(const Layout& layout, const std::uint8_t* in, std::uint8_t* out) {
    const int width = layout.width;
    switch (layout.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8: {
        const int bits = layout.bitCount;
        const int perByte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x, out += 3) {
            const int shift = 8 - bits * (x % perByte + 1);
            const Rgb& c = layout.palette[(in[x / perByte] >> shift) & mask];
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
        }
        break;
    }
    case 16:
    case 32: {
        const int bytes = layout.bitCount / 8;
        for (int x = 0; x < width; ++x, out += 3, in += bytes) {
            const std::uint32_t pixel = bytes == 2 ? le16(in) : le32(in);
            out[0] = layout.red(pixel);
            out[1] = layout.green(pixel);
            out[2] = layout.blue(pixel);
        }
        break;
    }
    case 24:
        for (int x = 0; x < width; ++x, out += 3, in += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    }
}

// Picture row y is stored as row flipRow(y) of the file and the other way round: the
// same flip maps both ways.
std::int64_t flipRow(const Layout& layout, std::int64_t row) {
    return layout.topDown ? row : layout.height - 1 - row;
}

// Uncompressed rows sit at fixed places, so only the wanted ones are read.
void readUncompressed(std::FILE* file, const Layout& layout, RowSampler& sampler) {
    const std::int64_t stride = (std::int64_t{layout.width} * layout.bitCount + 31) / 32 * 4;
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(stride));
    std::vector<std::uint8_t> rgb(std::size_t{3} * layout.width);
    for (const int y : sampler.wantedRows()) {
        sampler.checkCancelled();
        const std::int64_t storedRow = flipRow(layout, y);
        // Rows past the end of a short file read as zeros (black, or palette entry 0).
        readAt(file, layout.dataOffset + storedRow * stride, stored.data(), stored.size());
        convertRow(layout, stored.data(), rgb.data());
        sampler.put(y, rgb.data());
    }
}

class ByteStream {
public:
    ByteStream(std::FILE* file, std::int64_t offset) : file_(file) {
        ok_ = offset >= 0 && fseeko(file, offset, SEEK_SET) == 0;
    }
    // The next byte, or -1 at the end of the file.
    int next() {
        if (pos_ == size_) {
            if (!ok_)
                return -1;
            size_ = std::fread(buffer_, 1, sizeof buffer_, file_);
            pos_ = 0;
            if (size_ == 0) {
                ok_ = false;
                return -1;
            }
        }
        return buffer_[pos_++];
    }

private:
    std::FILE* file_;
    bool ok_ = false;
    std::uint8_t buffer_[65536];
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

// Run-length rows come one after another. Pixels that the runs never set (skipped by a
// delta, or cut off by an early end) show palette entry 0; pixels beyond the right edge
// are dropped rather than wrapped onto the next row.
void readRunLength(std::FILE* file, const Layout& layout, RowSampler& sampler) {
    const bool fourBit = layout.compression == kRle4;
    const int width = layout.width;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width), 0);
    std::vector<std::uint8_t> rgb(std::size_t{3} * width);
    auto deliverRow = [&](std::int64_t storedRow) {
        const int y = static_cast<int>(flipRow(layout, storedRow));
        if (!sampler.wants(y))
            return;
        std::uint8_t* out = rgb.data();
        for (const std::uint8_t index : indices) {
            const Rgb& c = layout.palette[index];
            *out++ = c[0];
            *out++ = c[1];
            *out++ = c[2];
        }
        sampler.put(y, rgb.data());
    };
    auto setIndex = [&](std::int64_t x, int index) {
        if (x < width)
            indices[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
    };

    auto stream = std::make_unique<ByteStream>(file, layout.dataOffset);
    std::int64_t row = 0;
    std::int64_t x = 0;
    bool touched = false;
    auto finishRow = [&] {
        sampler.checkCancelled();
        deliverRow(row);
        if (touched)
            std::fill(indices.begin(), indices.end(), 0);
        touched = false;
        ++row;
    };
    // A damaged file may hold megabytes of runs without ever ending a row, so the flag is
    // also watched every few thousand runs, and runs past the right edge cost nothing.
    for (unsigned runs = 1; row < layout.height; ++runs) {
        if (runs % 4096 == 0)
            sampler.checkCancelled();
        const int count = stream->next();
        const int value = stream->next();
        if (value < 0)
            break;
        if (count > 0) {
            const int shown = static_cast<int>(std::clamp<std::int64_t>(width - x, 0, count));
            for (int i = 0; i < shown; ++i)
                setIndex(x + i, fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
            x += count;
            touched = true;
        } else if (value == 0) {
            finishRow();
            x = 0;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            const int dx = stream->next();
            const int dy = stream->next();
            if (dy < 0)
                break;
            x += dx;
            for (int i = 0; i < dy && row < layout.height; ++i)
                finishRow();
        } else {
            // Absolute mode: value literal pixels, padded to a 16-bit boundary.
            const int bytes = fourBit ? (value + 1) / 2 : value;
            int byte = 0;
            for (int i = 0; i < value; ++i, ++x) {
                if (!fourBit || (i & 1) == 0)
                    byte = stream->next();
                if (byte < 0)
                    break;
                setIndex(x, fourBit ? ((i & 1) ? byte & 15 : byte >> 4) : byte);
            }
            if (byte < 0)
                break;
            if (bytes & 1)
                stream->next();
            touched = true;
        }
    }
    if (row < layout.height)
        finishRow();

    // The rows never reached all show palette entry 0.
    const Rgb& blank = layout.palette[0];
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        std::copy(blank.begin(), blank.end(), rgb.begin() + static_cast<std::ptrdiff_t>(i));
    for (const int y : sampler.wantedRows()) {
        const std::int64_t storedRow = flipRow(layout, y);
        if (storedRow >= row)
            sampler.put(y, rgb.data());
    }
}

} // namespace

void readBmp(std::FILE* file, RowSampler& sampler) {
    const Layout layout = readLayout(file);
    sampler.begin(layout.width, layout.height);
    if (layout.compression == kRle8 || layout.compression == kRle4)
        readRunLength(file, layout, sampler);
    else
        readUncompressed(file, layout, sampler);
}

} // namespace volmarin
