#include "JpegCodec.h"

#include "Resize32.h"
#include "platform/Files.h"

#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace muralto {

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

void Silence(j_common_ptr, int) {}

uint16_t Get16(const uint8_t* p, bool little) {
    return little ? uint16_t(p[0] | (p[1] << 8)) : uint16_t((p[0] << 8) | p[1]);
}
uint32_t Get32(const uint8_t* p, bool little) {
    return little ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                        (uint32_t(p[3]) << 24)
                  : (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) |
                        uint32_t(p[3]);
}

// The orientation tag of an EXIF block ("Exif\0\0" and a TIFF header), 1 when absent.
int OrientationOfExif(const uint8_t* p, size_t n) {
    if (n < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return 1;
    const uint8_t* tiff = p + 6;
    const size_t size = n - 6;
    const bool little = tiff[0] == 'I';
    if (!(little || tiff[0] == 'M') || Get16(tiff + 2, little) != 42)
        return 1;
    const uint32_t ifd = Get32(tiff + 4, little);
    if (ifd > size - 2 || ifd < 8)
        return 1;
    const uint16_t entries = Get16(tiff + ifd, little);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + size_t(i) * 12;
        if (at + 12 > size)
            break;
        if (Get16(tiff + at, little) == 0x0112) {
            const int value = Get16(tiff + at + 8, little);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

// Turns a decoded picture upright: orientation 2..8 mirror and rotate.
BitmapPtr Orient(BitmapPtr source, int orientation) {
    if (orientation <= 1 || !source)
        return source;
    const int w = mtgdi_width(source.get()), h = mtgdi_height(source.get());
    const bool swap = orientation >= 5;
    BitmapPtr out(mtgdi_create(swap ? h : w, swap ? w : h, MT_PF24));
    if (!out)
        return nullptr;
    const int ow = mtgdi_width(out.get()), oh = mtgdi_height(out.get());
    for (int y = 0; y < oh; ++y) {
        uint8_t* dst = mtgdi_scanline(out.get(), y);
        for (int x = 0; x < ow; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            default:
                break;
            }
            const uint8_t* src = mtgdi_scanline_const(source.get(), sy) + 3 * sx;
            dst[3 * x] = src[0];
            dst[3 * x + 1] = src[1];
            dst[3 * x + 2] = src[2];
        }
    }
    return out;
}

// The smallest decode scale (in eighths) that still leaves at least the size asked for.
unsigned ScaleNumerator(unsigned w, unsigned h, const TLoadHint& hint, bool swapped) {
    if (hint.fitWidth < 1 || hint.fitHeight < 1)
        return 8;
    const unsigned fw = unsigned(swapped ? hint.fitHeight : hint.fitWidth);
    const unsigned fh = unsigned(swapped ? hint.fitWidth : hint.fitHeight);
    for (unsigned m = 1; m < 8; ++m)
        if ((w * m + 7) / 8 >= fw && (h * m + 7) / 8 >= fh)
            return m;
    return 8;
}

} // namespace

int JpegOrientation(const uint8_t* data, size_t size) {
    // Walk the markers up to the first scan; APP1 holds EXIF.
    size_t at = 2;
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 1;
    while (at + 4 <= size && data[at] == 0xFF) {
        const uint8_t marker = data[at + 1];
        const size_t length = size_t(data[at + 2] << 8 | data[at + 3]);
        if (marker == 0xDA || length < 2 || at + 2 + length > size)
            break;
        if (marker == 0xE1) {
            const int o = OrientationOfExif(data + at + 4, length - 2);
            if (o != 1)
                return o;
        }
        at += 2 + length;
    }
    return 1;
}

int DecodeJpeg(const uint8_t* data, size_t size, const TLoadHint& hint, BitmapPtr& bitmap,
               std::string& why) {
    const int orientation = JpegOrientation(data, size);
    jpeg_decompress_struct info{};
    ErrorManager error{};
    info.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = Silence;
    // Changed after setjmp, so volatile: a longjmp must see their latest values.
    MTBitmap* volatile raw = nullptr;
    std::vector<uint8_t>* volatile cmyk = nullptr;
    TResize* volatile scaler = nullptr;
    TResize::Stream* volatile stream = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        delete stream; // waits for its thread before the rows go
        delete scaler;
        mtgdi_free(raw);
        delete cmyk;
        why = error.message;
        return MT_ERR_DAMAGED;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width < 1 || info.image_height < 1 || info.image_width > MTGDI_MAX_SIDE ||
        info.image_height > MTGDI_MAX_SIDE) {
        why = "the picture is " + std::to_string(info.image_width) + "x" +
              std::to_string(info.image_height) + " pixels (at most 16384 a side)";
        jpeg_destroy_decompress(&info);
        return MT_ERR_TOO_LARGE;
    }
    const bool inkColours = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = inkColours ? JCS_CMYK : JCS_EXT_BGR;
    info.scale_num = ScaleNumerator(info.image_width, info.image_height, hint, orientation >= 5);
    info.scale_denom = 8;
    // A picture that will be shrunk anyway takes the faster transform and upsampling;
    // one shown at its own size is decoded exactly.
    const bool shrinking = hint.fitWidth > 0;
    info.dct_method = shrinking ? JDCT_IFAST : JDCT_ISLOW;
    info.do_fancy_upsampling = shrinking ? FALSE : TRUE;
    jpeg_start_decompress(&info);
    raw = mtgdi_create(int32_t(info.output_width), int32_t(info.output_height), MT_PF24);
    if (!raw) {
        jpeg_destroy_decompress(&info);
        why = "out of memory";
        return MT_ERR_NO_MEMORY;
    }
    if (inkColours)
        cmyk = new std::vector<uint8_t>(size_t(info.output_width) * 4);
    // Scaling to the wallpaper's size can run beside the decoding, on the other core.
    int toWidth = 0, toHeight = 0;
    if (hint.fit && orientation == 1 && !inkColours &&
        hint.fit(int(info.output_width), int(info.output_height), toWidth, toHeight) &&
        (toWidth != int(info.output_width) || toHeight != int(info.output_height))) {
        scaler = new TResize;
        stream = scaler->StartStream(raw, toWidth, toHeight, hint.quality).release();
        if (!stream) { // no scaler module: the picture is scaled later, as usual
            delete scaler;
            scaler = nullptr;
        }
    }
    while (info.output_scanline < info.output_height) {
        uint8_t* row = mtgdi_scanline(raw, int32_t(info.output_scanline));
        JSAMPROW target = inkColours ? cmyk->data() : row;
        jpeg_read_scanlines(&info, &target, 1);
        if (inkColours) {
            // Adobe's files store the inks inverted: each byte is already 255 - ink.
            for (unsigned x = 0; x < info.output_width; ++x) {
                const uint8_t* p = cmyk->data() + 4 * x;
                const unsigned k = p[3];
                row[3 * x] = uint8_t(p[2] * k / 255);
                row[3 * x + 1] = uint8_t(p[1] * k / 255);
                row[3 * x + 2] = uint8_t(p[0] * k / 255);
            }
        }
        if (stream &&
            (info.output_scanline % 16 == 0 || info.output_scanline == info.output_height))
            stream->Feed(int(info.output_scanline));
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    delete cmyk;
    if (stream) {
        BitmapPtr scaled = stream->Finish();
        delete stream;
        delete scaler;
        if (scaled) {
            mtgdi_free(raw);
            bitmap = std::move(scaled);
            return MT_OK;
        }
    }
    bitmap = Orient(BitmapPtr(raw), orientation);
    return bitmap ? MT_OK : MT_ERR_NO_MEMORY;
}

int ReadJpeg(const std::string& path, const TLoadHint& hint, BitmapPtr& bitmap, std::string& why) {
    std::string bytes;
    if (!ReadPictureBytes(path, bytes, why))
        return MT_ERR_IO;
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), hint, bitmap,
                      why);
}

namespace {

// The compressed bytes passed from the compressing thread to the decompressing one as
// they are made, so both halves of the round trip run at once on the two cores.
struct Channel {
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<uint8_t> bytes;
    size_t read = 0;
    bool done = false;
    bool failed = false;
};

constexpr size_t kChunk = 1 << 16;

struct ChannelDestination {
    jpeg_destination_mgr pub;
    Channel* channel;
    std::vector<uint8_t> buffer;
};

void InitDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<ChannelDestination*>(info->dest);
    d->buffer.resize(kChunk);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = kChunk;
}

void Publish(ChannelDestination* d, size_t count, bool done) {
    {
        std::lock_guard<std::mutex> lock(d->channel->mutex);
        d->channel->bytes.insert(d->channel->bytes.end(), d->buffer.begin(),
                                 d->buffer.begin() + long(count));
        d->channel->done = done;
    }
    d->channel->ready.notify_one();
}

boolean EmptyOutput(j_compress_ptr info) {
    auto* d = reinterpret_cast<ChannelDestination*>(info->dest);
    Publish(d, kChunk, false);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = kChunk;
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<ChannelDestination*>(info->dest);
    Publish(d, kChunk - d->pub.free_in_buffer, true);
}

struct ChannelSource {
    jpeg_source_mgr pub;
    Channel* channel;
    std::vector<uint8_t> buffer;
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
    auto* s = reinterpret_cast<ChannelSource*>(info->src);
    Channel& c = *s->channel;
    std::unique_lock<std::mutex> lock(c.mutex);
    c.ready.wait(lock, [&] { return c.read < c.bytes.size() || c.done; });
    if (c.read >= c.bytes.size()) { // the compressor ended (or failed): an end marker
        static const uint8_t eoi[2] = {0xFF, 0xD9};
        s->pub.next_input_byte = eoi;
        s->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    s->buffer.assign(c.bytes.begin() + long(c.read), c.bytes.end());
    c.read = c.bytes.size();
    s->pub.next_input_byte = s->buffer.data();
    s->pub.bytes_in_buffer = s->buffer.size();
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    auto* s = reinterpret_cast<ChannelSource*>(info->src);
    while (count > long(s->pub.bytes_in_buffer)) {
        count -= long(s->pub.bytes_in_buffer);
        FillInput(info);
    }
    s->pub.next_input_byte += count;
    s->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

// Compresses at quality 100 into the channel; on an error the channel is closed.
void Compress(const MTBitmap* bitmap, Channel& channel) {
    ErrorManager error{};
    jpeg_compress_struct out{};
    out.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = Silence;
    ChannelDestination destination{};
    destination.channel = &channel;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&out);
        {
            std::lock_guard<std::mutex> lock(channel.mutex);
            channel.failed = channel.done = true;
        }
        channel.ready.notify_one();
        return;
    }
    jpeg_create_compress(&out);
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutput;
    destination.pub.term_destination = TermDestination;
    out.dest = &destination.pub;
    out.image_width = unsigned(mtgdi_width(bitmap));
    out.image_height = unsigned(mtgdi_height(bitmap));
    out.input_components = 3;
    out.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&out);
    jpeg_set_quality(&out, 100, TRUE);
    jpeg_start_compress(&out, TRUE);
    while (out.next_scanline < out.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(mtgdi_scanline_const(bitmap, int(out.next_scanline)));
        jpeg_write_scanlines(&out, &row, 1);
    }
    jpeg_finish_compress(&out);
    jpeg_destroy_compress(&out);
}

} // namespace

BitmapPtr ReduceTo236Colours(const MTBitmap* bitmap) {
    if (!bitmap || mtgdi_format(bitmap) != MT_PF24)
        return nullptr;
    Channel channel;
    std::thread compressor([&] { Compress(bitmap, channel); });
    MTBitmap* volatile raw = nullptr;
    ErrorManager error{};
    jpeg_decompress_struct in{};
    in.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = Silence;
    ChannelSource source{};
    source.channel = &channel;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&in);
        mtgdi_free(raw);
        compressor.join();
        return nullptr;
    }
    jpeg_create_decompress(&in);
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInput;
    source.pub.skip_input_data = SkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    in.src = &source.pub;
    jpeg_read_header(&in, TRUE);
    in.quantize_colors = TRUE;
    in.desired_number_of_colors = 236;
    jpeg_start_decompress(&in);
    raw = mtgdi_create(mtgdi_width(bitmap), mtgdi_height(bitmap), MT_PF8);
    if (raw) {
        mtgdi_set_palette_size(raw, in.actual_number_of_colors);
        uint32_t* palette = mtgdi_palette(raw);
        for (int i = 0; i < in.actual_number_of_colors; ++i)
            palette[i] = (uint32_t(in.colormap[0][i]) << 16) | (uint32_t(in.colormap[1][i]) << 8) |
                         uint32_t(in.colormap[2][i]);
        while (in.output_scanline < in.output_height) {
            JSAMPROW row = mtgdi_scanline(raw, int(in.output_scanline));
            jpeg_read_scanlines(&in, &row, 1);
        }
    }
    jpeg_finish_decompress(&in);
    jpeg_destroy_decompress(&in);
    compressor.join();
    if (channel.failed) {
        mtgdi_free(raw);
        return nullptr;
    }
    return BitmapPtr(raw);
}

} // namespace muralto
