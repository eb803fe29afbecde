// JPEG decoding over libjpeg with an error manager that returns instead of exiting; built
// into the module library "dorvanejpeg", which JpegImage opens on the first decode.
#include "jpegimage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, and the default one
// ends the process. Ours keeps the message and jumps back into the guarded
// step that made the call. The guarded steps (the member functions of
// Decompressor that call setjmp) hold no objects with destructors, so the
// jump skips no cleanup.
struct ErrorManager
{
    jpeg_error_mgr base; // first, so libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager *errorManager(j_common_ptr info)
{
    return reinterpret_cast<ErrorManager *>(info->err);
}

[[noreturn]] void failDecoding(j_common_ptr info)
{
    (*info->err->format_message)(info, errorManager(info)->message);
    std::longjmp(errorManager(info)->jump, 1);
}

// Level -1 is a warning about damaged data, such as a file that ends early
// (libjpeg would paint the missing part grey): it fails the decoding, so a
// damaged picture is refused rather than shown half grey. Trace messages
// (level 0 and up) are dropped.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        failDecoding(info);
}

void checkScanCount(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    const int scans = reinterpret_cast<j_decompress_ptr>(info)->input_scan_number;
    if (scans <= JpegImage::MaxScans)
        return;
    std::snprintf(errorManager(info)->message, JMSG_LENGTH_MAX, "JPEG picture has more than %d scans",
                  JpegImage::MaxScans);
    std::longjmp(errorManager(info)->jump, 1);
}

// One decompression, in guarded steps; the destructor frees libjpeg's memory
// whichever step failed.
class Decompressor
{
public:
    Decompressor()
    {
        m_info.err = jpeg_std_error(&m_errors.base);
        m_errors.base.error_exit = failDecoding;
        m_errors.base.emit_message = onMessage;
        m_progress.progress_monitor = checkScanCount;
    }
    ~Decompressor() { jpeg_destroy_decompress(&m_info); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    // Reads the markers up to the first scan; bytes must outlive the decompressor.
    bool readHeader(const QByteArray &bytes)
    {
        if (setjmp(m_errors.jump))
            return false;
        jpeg_create_decompress(&m_info);
        m_info.progress = &m_progress;
        jpeg_mem_src(&m_info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&m_info, TRUE);
        return true;
    }

    // Chooses the output colour space and works out the output size.
    bool configure(J_COLOR_SPACE space)
    {
        if (setjmp(m_errors.jump))
            return false;
        m_info.out_color_space = space;
        jpeg_calc_output_dimensions(&m_info);
        return true;
    }

    // Decodes every line into image, which has the output size and format.
    bool readPixels(QImage &image)
    {
        if (setjmp(m_errors.jump))
            return false;
        jpeg_start_decompress(&m_info);
        while (m_info.output_scanline < m_info.output_height) {
            JSAMPROW row = image.scanLine(int(m_info.output_scanline));
            jpeg_read_scanlines(&m_info, &row, 1);
        }
        jpeg_finish_decompress(&m_info);
        return true;
    }

    const jpeg_decompress_struct &info() const { return m_info; }
    QString message() const { return QString::fromLatin1(m_errors.message); }

private:
    jpeg_decompress_struct m_info{};
    ErrorManager m_errors{};
    jpeg_progress_mgr m_progress{};
};

QImage fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

QString sizeProblem(const jpeg_decompress_struct &info)
{
    const qint64 width = info.image_width;
    const qint64 height = info.image_height;
    if (width == 0 || height == 0)
        return QStringLiteral("JPEG picture is empty");
    if (width > JpegImage::MaxSide || height > JpegImage::MaxSide || width * height > JpegImage::MaxPixels)
        return QStringLiteral("JPEG picture too large: %1 x %2 pixels").arg(width).arg(height);
    return {};
}

QImage decode(const QByteArray &jpegBytes, QString *error)
{
    Decompressor jpeg;
    if (!jpeg.readHeader(jpegBytes))
        return fail(error, jpeg.message());
    if (const QString problem = sizeProblem(jpeg.info()); !problem.isEmpty())
        return fail(error, problem);

    const bool grey = jpeg.info().num_components == 1;
    if (!grey && jpeg.info().num_components != 3)
        return fail(error, QStringLiteral("JPEG picture has an unsupported colour space (%1 components)")
                               .arg(jpeg.info().num_components));
    if (!jpeg.configure(grey ? JCS_GRAYSCALE : JCS_RGB))
        return fail(error, jpeg.message());

    const jpeg_decompress_struct &info = jpeg.info();
    QImage image(int(info.output_width), int(info.output_height),
                 grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull() || qint64(info.output_width) * info.output_components > image.bytesPerLine())
        return fail(error, QStringLiteral("Not enough memory for the JPEG picture"));
    if (!jpeg.readPixels(image))
        return fail(error, jpeg.message());

    if (error)
        error->clear();
    return grey ? image.convertToFormat(QImage::Format_RGB888) : image;
}

} // namespace

extern "C" Q_DECL_EXPORT void dorvane_decode_jpeg(const QByteArray &jpegBytes, QImage *image, QString *error)
{
    *image = decode(jpegBytes, error);
}
