#include "components/JpegDecoder.h"

#include <QImage>
#include <QTransform>

#include <sys/mman.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace lorvane {

namespace {

// Beyond this many scans a progressive file is hostile or broken; libjpeg would otherwise
// re-decode the whole coefficient buffer for each one.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
    bool dataEndsEarly;
    bool tooManyScans;
};

struct ProgressManager {
    jpeg_progress_mgr pub;
    ErrorManager* errors;
};

extern "C" {

void onError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0) {
        ++cinfo->err->num_warnings;
        if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
            errors->truncated = true;
        } else if (cinfo->err->msg_code == JWRN_HIT_MARKER) {
            // The picture data stops before the last row; libjpeg would paint the rest grey.
            errors->dataEndsEarly = true;
        }
    }
}

void onOutput(j_common_ptr) {}

void onProgress(j_common_ptr cinfo) {
    auto* progress = reinterpret_cast<ProgressManager*>(cinfo->progress);
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxScans) {
        progress->errors->tooManyScans = true;
        std::longjmp(progress->errors->jump, 1);
    }
}

}  // extern "C"

// EXIF orientation (1..8) from an APP1 segment; 1 when absent or unreadable.
int exifOrientation(const JOCTET* data, unsigned length) {
    if (length < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        return 1;
    }
    const JOCTET* tiff = data + 6;
    const unsigned size = length - 6;
    const bool little = tiff[0] == 'I';
    auto u16 = [&](unsigned pos) -> unsigned {
        if (pos + 2 > size) {
            return 0;
        }
        return little ? unsigned(tiff[pos] | (tiff[pos + 1] << 8))
                      : unsigned((tiff[pos] << 8) | tiff[pos + 1]);
    };
    auto u32 = [&](unsigned pos) -> unsigned {
        return little ? (u16(pos) | (u16(pos + 2) << 16)) : ((u16(pos) << 16) | u16(pos + 2));
    };
    const unsigned ifd = u32(4);
    const unsigned entries = u16(ifd);
    for (unsigned i = 0; i < entries && ifd + 2 + (i + 1) * 12 <= size; ++i) {
        const unsigned entry = ifd + 2 + i * 12;
        if (u16(entry) == 0x0112) {
            const unsigned value = u16(entry + 8);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

QImage oriented(const QImage& image, int orientation) {
    switch (orientation) {
        case 2:
            return image.mirrored(true, false);
        case 3:
            return image.transformed(QTransform().rotate(180));
        case 4:
            return image.mirrored(false, true);
        case 5:
            return image.transformed(QTransform().rotate(90)).mirrored(true, false);
        case 6:
            return image.transformed(QTransform().rotate(90));
        case 7:
            return image.transformed(QTransform().rotate(-90)).mirrored(true, false);
        case 8:
            return image.transformed(QTransform().rotate(-90));
        default:
            return image;
    }
}

void freeAligned(void* memory) {
    std::free(memory);
}

// Large images get memory backed by huge pages where the kernel offers them (transparent huge
// pages in "madvise" mode, Debian's default): a 24 MP image otherwise takes some 23 000 page
// faults while it is written, a third of the decode time.
QImage allocateImage(int width, int height, QImage::Format format) {
    constexpr size_t kHugePage = size_t(2) * 1024 * 1024;
    const int depth = format == QImage::Format_Grayscale8 ? 1 : 4;
    const qsizetype bytesPerLine = ((qsizetype(width) * depth + 31) / 32) * 32;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (bytes < 4 * kHugePage) {
        return QImage(width, height, format);
    }
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (memory == nullptr) {
        return {};
    }
    madvise(memory, rounded, MADV_HUGEPAGE);
    return QImage(static_cast<uchar*>(memory), width, height, bytesPerLine, format, freeAligned,
                  memory);
}

int reductionFor(QSize full, QSize maxSize) {
    if (!maxSize.isValid()) {
        return 1;
    }
    for (int k : {8, 4, 2}) {
        const int w = (full.width() + k - 1) / k;
        const int h = (full.height() + k - 1) / k;
        if (w >= maxSize.width() && h >= maxSize.height()) {
            return k;
        }
    }
    return 1;
}

// Everything the decode writes lives here, not in locals of the function that calls setjmp,
// whose values are indeterminate after a longjmp.
struct Job {
    const QByteArray* data = nullptr;
    QSize maxSize;
    qint64 maxBytes = 0;
    QImage image;
    std::vector<JSAMPROW> rows;
    std::vector<JSAMPLE> cmykRow;
    int orientation = 1;
    int bitsPerPixel = 0;
    QSize fullSize;
    bool tooLarge = false;
};

bool decode(Job* job, ErrorManager* errors) {
    jpeg_decompress_struct cinfo;
    ProgressManager progress;
    cinfo.err = jpeg_std_error(&errors->pub);
    errors->pub.error_exit = onError;
    errors->pub.emit_message = onMessage;
    errors->pub.output_message = onOutput;
    errors->message[0] = '\0';
    errors->truncated = false;
    errors->dataEndsEarly = false;
    errors->tooManyScans = false;
    progress.pub.progress_monitor = onProgress;
    progress.errors = errors;

    if (setjmp(errors->jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress.pub;
    cinfo.mem->max_memory_to_use = long(job->maxBytes);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(job->data->constData()),
                 static_cast<unsigned long>(job->data->size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1) {
            job->orientation = exifOrientation(marker->data, marker->data_length);
            if (job->orientation != 1) {
                break;
            }
        }
    }
    job->bitsPerPixel = cinfo.data_precision * cinfo.num_components;
    job->fullSize = QSize(int(cinfo.image_width), int(cinfo.image_height));

    const bool turned = job->orientation >= 5;
    const QSize shown = turned ? job->fullSize.transposed() : job->fullSize;
    const int reduction = reductionFor(shown, job->maxSize);
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(reduction);
    if (reduction > 1) {
        // A reduced decode is a preview: the fast paths are good enough and much cheaper.
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }

    QImage::Format format = QImage::Format_RGB32;
    const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (gray) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
    } else if (cmyk) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        cinfo.out_color_space = JCS_EXT_BGRX;
#else
        cinfo.out_color_space = JCS_EXT_XRGB;
#endif
    }
    jpeg_calc_output_dimensions(&cinfo);
    const qint64 bytes = qint64(cinfo.output_width) * cinfo.output_height * (gray ? 1 : 4);
    if (bytes > job->maxBytes) {
        job->tooLarge = true;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    job->image = allocateImage(int(cinfo.output_width), int(cinfo.output_height), format);
    if (job->image.isNull()) {
        job->tooLarge = true;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    jpeg_start_decompress(&cinfo);
    const int height = int(cinfo.output_height);
    if (cmyk) {
        job->cmykRow.resize(size_t(cinfo.output_width) * 4);
        JSAMPROW row = job->cmykRow.data();
        while (int(cinfo.output_scanline) < height) {
            const int y = int(cinfo.output_scanline);
            if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
                break;
            }
            // Adobe writes CMYK inverted, which makes this product the plain RGB value.
            auto* out = reinterpret_cast<QRgb*>(job->image.scanLine(y));
            const JSAMPLE* in = row;
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x, in += 4) {
                const int k = in[3];
                out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
            }
        }
    } else {
        job->rows.resize(size_t(height));
        for (int y = 0; y < height; ++y) {
            job->rows[size_t(y)] = job->image.scanLine(y);
        }
        while (int(cinfo.output_scanline) < height) {
            const JDIMENSION done = cinfo.output_scanline;
            if (jpeg_read_scanlines(&cinfo, job->rows.data() + done, JDIMENSION(height) - done) ==
                0) {
                break;
            }
        }
    }
    const bool complete = int(cinfo.output_scanline) == height;
    if (complete) {
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return complete;
}

}  // namespace

DecodedImage DecodeJpeg(const QByteArray& data, QSize maxSize, qint64 maxBytes) {
    DecodedImage result;
    result.format = ImageFormat::Jpeg;
    Job job;
    job.data = &data;
    job.maxSize = maxSize;
    job.maxBytes = maxBytes;
    ErrorManager errors;
    const bool decoded = decode(&job, &errors);
    result.bitsPerPixel = job.bitsPerPixel;
    if (job.tooLarge) {
        result.reason = QStringLiteral("The image is too large to open (%1 x %2 pixels)")
                            .arg(job.fullSize.width())
                            .arg(job.fullSize.height());
    } else if (errors.tooManyScans) {
        result.reason = QStringLiteral("The file is damaged (too many image scans)");
    } else if (errors.truncated) {
        result.reason = QStringLiteral("The file is truncated");
    } else if (errors.dataEndsEarly) {
        result.reason = QStringLiteral("The file is damaged (its picture data ends early)");
    } else if (!decoded) {
        result.reason = QStringLiteral("The file is damaged or is not a valid JPEG image");
    } else {
        result.frames.append(oriented(job.image, job.orientation));
    }
    return result;
}

}  // namespace lorvane
