#include "catalogue/jpeg_reader.h"

#include "catalogue/decode_error.h"
#include "catalogue/stretch.h"

#include <csetjmp>
#include <cstring>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace volmarin {

namespace {

// A progressive file may have any number of scans, and a damaged one can make the decoder
// spin through thousands of empty ones; real files have about a dozen.
constexpr int kMaxScans = 500;

// Working memory libjpeg may take (coefficient buffers of progressive files, mostly):
// enough for a 150-megapixel progressive photo. Beyond it libjpeg stops with an error
// instead of exhausting the machine.
constexpr long kMaxWorkingMemory = 512L << 20;

// libjpeg's default error handler prints and calls exit(). Ours formats the message and
// jumps back into readJpeg, which turns it into a DecodeError.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jumpOut(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
        std::snprintf(err->message, sizeof err->message,
                      "the picture needs more than %ld MiB of decoder memory",
                      kMaxWorkingMemory >> 20);
    else
        (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt data, premature end of file) are not printed: the decoder goes on and
// the picture shows what could be read.
void keepQuiet(j_common_ptr) {}

struct ScanLimit {
    jpeg_progress_mgr pub;
    ErrorManager* err;
};

void checkScanCount(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    auto* progress = reinterpret_cast<ScanLimit*>(cinfo->progress);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        std::snprintf(progress->err->message, sizeof progress->err->message,
                      "more than %d scans in a progressive file", kMaxScans);
        std::longjmp(progress->err->jump, 1);
    }
}

// Destroys the decompressor however readJpeg is left: normally, by a DecodeError after a
// jump, or by an exception from the sampler. Safe on a zeroed, never created object.
struct DecompressorGuard {
    jpeg_decompress_struct* cinfo;
    ~DecompressorGuard() { jpeg_destroy_decompress(cinfo); }
};

// CMYK as libjpeg hands it out (YCCK already turned into CMYK) to RGB. Files with an Adobe
// marker store the components inverted (255 means no ink), the way Photoshop writes them.
void cmykToRgb(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<std::uint8_t>((c * k + 127) / 255);
        out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    }
}

} // namespace

void readJpeg(std::FILE* file, RowSampler& sampler) {
    // Everything with a destructor is made before setjmp: a longjmp must not skip one.
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    ScanLimit scanLimit;
    std::memset(&scanLimit, 0, sizeof scanLimit);
    DecompressorGuard guard{&cinfo};

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOut;
    err.pub.output_message = keepQuiet;
    err.message[0] = '\0';
    if (setjmp(err.jump))
        throw DecodeError(std::string("JPEG: ") + err.message);

    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxWorkingMemory;
    scanLimit.pub.progress_monitor = checkScanCount;
    scanLimit.err = &err;
    cinfo.progress = &scanLimit.pub;
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    jpeg_calc_output_dimensions(&cinfo);
    // The sampler refuses oversized pictures before libjpeg allocates anything for them.
    sampler.begin(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));

    jpeg_start_decompress(&cinfo);
    const JDIMENSION width = cinfo.output_width;
    JSAMPARRAY decoded = (*cinfo.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * cinfo.output_components, 1);
    JSAMPARRAY rgb = decoded;
    if (cmyk)
        rgb = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                         width * 3, 1);
    const bool inverted = cinfo.saw_Adobe_marker;

    // Every scanline is decoded (libjpeg cannot skip them cheaply while keeping its fancy
    // upsampling exact); only the sampled ones are converted and kept.
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, decoded, 1) != 1)
            throw DecodeError("JPEG: the decoder stopped before the last row");
        if (!sampler.wants(y))
            continue;
        if (cmyk)
            cmykToRgb(decoded[0], rgb[0], width, inverted);
        sampler.put(y, rgb[0]);
    }
    // No jpeg_finish_decompress: whatever follows the last row (trailing junk, a missing
    // end marker) cannot change the picture.
}

} // namespace volmarin
