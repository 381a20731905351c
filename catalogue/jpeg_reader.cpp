#include "catalogue/jpeg_reader.h"

#include "catalogue/decode_error.h"
#include "catalogue/exif_orientation.h"
#include "catalogue/stretch.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

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

// libjpeg never stops short with the program's data source, which ends every file with an
// end marker; should it all the same, this is the reason given.
constexpr const char* kStoppedEarly = "JPEG の復号が最後の行の前で止まりました";

// libjpeg's default error handler prints and calls exit(). Ours writes the reason and
// jumps back into readJpeg, which turns it into a DecodeError.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 100];
};

void jumpOut(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
        std::snprintf(err->message, sizeof err->message,
                      "JPEG の復号に %ld MiB を超えるメモリが要ります", kMaxWorkingMemory >> 20);
    else {
        // libjpeg's own words, behind ours.
        char libjpegText[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, libjpegText);
        std::snprintf(err->message, sizeof err->message, "JPEG を復号できません（libjpeg: %s）",
                      libjpegText);
    }
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt data, premature end of file) are not printed: the decoder goes on and
// the picture shows what could be read.
void keepQuiet(j_common_ptr) {}

// The first Exif block of the file, which says how the stored picture is turned. The
// buffer holds the longest segment a JPEG can have; it is made when a file has an APP1
// segment at all, once.
struct ExifReading {
    std::vector<JOCTET> segment;
    bool seen = false;
    Orientation orientation = Orientation::Upright;
};

// What libjpeg's callbacks need of readJpeg, reached through client_data.
struct ReadContext {
    ErrorManager* err;
    const RowSampler* sampler;
    ExifReading* exif;
};

ReadContext& contextOf(j_common_ptr cinfo) {
    return *static_cast<ReadContext*>(cinfo->client_data);
}

// Back into readJpeg, which sees the raised flag and throws DecodeCancelled.
void stopIfCancelled(j_common_ptr cinfo) {
    ReadContext& context = contextOf(cinfo);
    if (context.sampler->cancelled())
        std::longjmp(context.err->jump, 1);
}

// The compressed data comes from the file in chunks of 16 KiB. libjpeg's Huffman decoder
// takes its fast path only while a few kilobytes are left in the buffer, which the 4 KiB
// chunks of its own stdio source seldom leave; with these it decodes about a tenth faster.
// Every chunk is also a point where a cancel is seen, in the entropy decoding of skipped
// rows and of the scans that jpeg_start_decompress takes in (16 KiB is a few rows of a
// photo).
constexpr std::size_t kInputChunk = 16384;

struct FileSource {
    jpeg_source_mgr pub;
    std::FILE* file;
    JOCTET* buffer;
    bool readAny;
};

void startSource(j_decompress_ptr) {}
void endSource(j_decompress_ptr) {}

boolean fillSource(j_decompress_ptr cinfo) {
    stopIfCancelled(reinterpret_cast<j_common_ptr>(cinfo));
    auto* source = reinterpret_cast<FileSource*>(cinfo->src);
    std::size_t count = std::fread(source->buffer, 1, kInputChunk, source->file);
    if (count == 0) {
        if (!source->readAny)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A cut-off file: an end marker lets the decoder finish with what it has.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->readAny = true;
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    return TRUE;
}

void skipSource(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (static_cast<std::size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        fillSource(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}

// libjpeg's progress monitor runs for every row read and, while jpeg_start_decompress takes
// in a file of several scans, for every row of blocks of every scan.
void watchProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    stopIfCancelled(cinfo);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        ErrorManager* err = contextOf(cinfo).err;
        std::snprintf(err->message, sizeof err->message,
                      "プログレッシブ JPEG のスキャンが %d を超えています", kMaxScans);
        std::longjmp(err->jump, 1);
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

// Takes the next count bytes of the file into out, or passes over them when out is null.
void takeBytes(j_decompress_ptr cinfo, JOCTET* out, std::size_t count) {
    jpeg_source_mgr* source = cinfo->src;
    while (count > 0) {
        if (source->bytes_in_buffer == 0)
            (*source->fill_input_buffer)(cinfo);
        const std::size_t taken = std::min(source->bytes_in_buffer, count);
        if (out) {
            std::memcpy(out, source->next_input_byte, taken);
            out += taken;
        }
        source->next_input_byte += taken;
        source->bytes_in_buffer -= taken;
        count -= taken;
    }
}

// Reads APP1 segments until one holds an Exif block, which decides; later ones are passed
// over. libjpeg's own marker saving would keep every segment in memory, and a hostile file
// can carry thousands of them.
boolean readApp1(j_decompress_ptr cinfo) {
    JOCTET lengthBytes[2];
    takeBytes(cinfo, lengthBytes, 2);
    const std::size_t length = (std::size_t{lengthBytes[0]} << 8) | lengthBytes[1];
    const std::size_t payload = length < 2 ? 0 : length - 2; // the length counts itself
    ExifReading& exif = *contextOf(reinterpret_cast<j_common_ptr>(cinfo)).exif;
    if (exif.seen) {
        takeBytes(cinfo, nullptr, payload);
        return TRUE;
    }
    exif.segment.resize(0xFFFF - 2);
    takeBytes(cinfo, exif.segment.data(), payload);
    if (isExifBlock(exif.segment.data(), payload)) {
        exif.seen = true;
        exif.orientation = orientationFromExif(exif.segment.data(), payload);
    }
    return TRUE;
}

} // namespace

void readJpeg(std::FILE* file, RowSampler& sampler, RowReading reading) {
    // Everything with a destructor is made before setjmp: a longjmp must not skip one.
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::memset(&progress, 0, sizeof progress);
    ExifReading exif;
    ReadContext context{&err, &sampler, &exif};
    std::vector<JOCTET> input(kInputChunk);
    FileSource source{{}, file, input.data(), false};
    DecompressorGuard guard{&cinfo};

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOut;
    err.pub.output_message = keepQuiet;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        if (sampler.cancelled())
            throw DecodeCancelled("読み込みを取り消しました");
        throw DecodeError(err.message);
    }

    jpeg_create_decompress(&cinfo);
    cinfo.client_data = &context;
    cinfo.mem->max_memory_to_use = kMaxWorkingMemory;
    progress.progress_monitor = watchProgress;
    cinfo.progress = &progress;
    source.pub.init_source = startSource;
    source.pub.fill_input_buffer = fillSource;
    source.pub.skip_input_data = skipSource;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = endSource;
    cinfo.src = &source.pub;
    jpeg_set_marker_processor(&cinfo, JPEG_APP0 + 1, readApp1);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    jpeg_calc_output_dimensions(&cinfo);
    // The sampler refuses oversized pictures before libjpeg allocates anything for them.
    sampler.begin(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                  exif.orientation);

    jpeg_start_decompress(&cinfo);
    const JDIMENSION width = cinfo.output_width;
    JSAMPARRAY decoded = (*cinfo.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * cinfo.output_components, 1);
    JSAMPARRAY rgb = decoded;
    if (cmyk)
        rgb = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                         width * 3, 1);
    const bool inverted = cinfo.saw_Adobe_marker;
    const auto readRow = [&] {
        if (jpeg_read_scanlines(&cinfo, decoded, 1) != 1)
            throw DecodeError(kStoppedEarly);
    };
    const auto deliver = [&](int y) {
        if (cmyk)
            cmykToRgb(decoded[0], rgb[0], width, inverted);
        sampler.put(y, rgb[0]);
    };

    if (reading == RowReading::ReadAll) {
        while (cinfo.output_scanline < cinfo.output_height) {
            sampler.checkCancelled();
            const int y = static_cast<int>(cinfo.output_scanline);
            readRow();
            if (sampler.wants(y))
                deliver(y);
        }
        return;
    }

    // The upsampler hands out its rows in groups of max_v_samp_factor. A skip that starts
    // inside a group and runs past it leaves the group's remaining rows queued, and the next
    // read returns one of them instead of the row asked for; so a skip from inside a group
    // first goes only to the group's end.
    const JDIMENSION group = static_cast<JDIMENSION>(std::max(1, cinfo.max_v_samp_factor));
    for (const int wanted : sampler.wantedRows()) {
        const auto y = static_cast<JDIMENSION>(wanted);
        while (cinfo.output_scanline < y) {
            sampler.checkCancelled();
            JDIMENSION count = y - cinfo.output_scanline;
            const JDIMENSION intoGroup = cinfo.output_scanline % group;
            if (intoGroup != 0)
                count = std::min(count, group - intoGroup);
            if (jpeg_skip_scanlines(&cinfo, count) != count)
                throw DecodeError(kStoppedEarly);
        }
        sampler.checkCancelled();
        readRow();
        deliver(wanted);
    }
    // No jpeg_finish_decompress, and nothing read after the last row shown: what follows
    // (more rows, trailing junk, a missing end marker) cannot change the canvas.
}

} // namespace volmarin
