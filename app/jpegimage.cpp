#include "app/jpegimage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return;
// it jumps back into decodeJpeg instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool warned = false;
    char message[JMSG_LENGTH_MAX] = {};
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    cinfo->err->format_message(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    // Level -1 is a warning (corrupt or missing data); higher levels are trace output.
    if (level >= 0)
        return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (!err->warned) {
        err->warned = true;
        cinfo->err->format_message(cinfo, err->message);
    }
}

// Everything the decoder changes between setjmp and longjmp lives here, in
// memory reached through a pointer, so nothing is lost in a register.
struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    QImage image;
    bool cmyk = false;
    std::vector<JSAMPLE> cmykRow;
};

QRgb cmykToRgb(const JSAMPLE* px, bool inverted)
{
    int c = px[0], m = px[1], y = px[2], k = px[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    // Inverted (Adobe) values: 255 means no ink.
    return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// Returns true on success; the image is left in state->image. Nothing with a
// destructor may live in this frame: longjmp leaves it without unwinding.
bool runDecoder(DecodeState* state, const QByteArray& data, QString* error)
{
    jpeg_decompress_struct* cinfo = &state->cinfo;
    cinfo->err = jpeg_std_error(&state->err.pub);
    state->err.pub.error_exit = errorExit;
    state->err.pub.emit_message = emitMessage;

    if (setjmp(state->err.jump)) {
        jpeg_destroy_decompress(cinfo);
        state->image = QImage();
        return fail(error, QString::fromLocal8Bit(state->err.message));
    }

    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(cinfo);
        return fail(error, QStringLiteral("no JPEG image"));
    }
    if (state->err.warned) {
        jpeg_destroy_decompress(cinfo);
        return fail(error, QString::fromLocal8Bit(state->err.message));
    }

    const qint64 w = cinfo->image_width;
    const qint64 h = cinfo->image_height;
    if (w <= 0 || h <= 0 || w > kMaxJpegSide || h > kMaxJpegSide || w * h > kMaxJpegPixels) {
        jpeg_destroy_decompress(cinfo);
        return fail(error, QStringLiteral("picture too large: %1 x %2").arg(w).arg(h));
    }

    switch (cinfo->jpeg_color_space) {
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        state->cmyk = true;
        break;
    default:
        // libjpeg converts greyscale and YCbCr to RGB itself.
        cinfo->out_color_space = JCS_RGB;
        break;
    }

    jpeg_start_decompress(cinfo);
    state->image = QImage(int(cinfo->output_width), int(cinfo->output_height),
                          state->cmyk ? QImage::Format_RGB32 : QImage::Format_RGB888);
    if (state->image.isNull()) {
        jpeg_destroy_decompress(cinfo);
        return fail(error, QStringLiteral("out of memory"));
    }

    if (state->cmyk)
        state->cmykRow.resize(std::size_t(cinfo->output_width) * 4);
    while (cinfo->output_scanline < cinfo->output_height) {
        // The data ran out or is corrupt: the rest would be grey fill, stop now.
        if (state->err.warned)
            break;
        const int y = int(cinfo->output_scanline);
        if (state->cmyk) {
            JSAMPROW row = state->cmykRow.data();
            jpeg_read_scanlines(cinfo, &row, 1);
            auto* out = reinterpret_cast<QRgb*>(state->image.scanLine(y));
            for (JDIMENSION x = 0; x < cinfo->output_width; ++x)
                out[x] = cmykToRgb(row + 4 * x, cinfo->saw_Adobe_marker);
        } else {
            JSAMPROW row = state->image.scanLine(y);
            jpeg_read_scanlines(cinfo, &row, 1);
        }
    }
    if (!state->err.warned)
        jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);

    if (state->err.warned) {
        state->image = QImage();
        return fail(error, QString::fromLocal8Bit(state->err.message));
    }
    return true;
}

} // namespace

std::optional<QImage> decodeJpeg(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        fail(error, QStringLiteral("empty file"));
        return std::nullopt;
    }
    // The state is large and must outlive any longjmp: keep it off the
    // frames libjpeg unwinds and away from the optimiser's registers.
    auto state = std::make_unique<DecodeState>();
    if (!runDecoder(state.get(), data, error))
        return std::nullopt;
    return std::move(state->image);
}

std::optional<QImage> loadJpegFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxJpegFileBytes) {
        fail(error, QStringLiteral("file too large"));
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, file.errorString());
        return std::nullopt;
    }
    return decodeJpeg(data, error);
}
