#include "OpenBench.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include "BenchUtil.h"
#include "components/EmfDecoder.h"
#include "components/ImageCodecs.h"
#include "components/ImageHeader.h"
#include "components/MagickCodec.h"
#include "components/sandbox/SandboxedDecoder.h"

namespace lorvane::bench {

namespace {

const QSize kScreen(1920, 1080);

bool decodedOutOfProcess(ImageFormat format) {
    switch (format) {
        case ImageFormat::Psd:
        case ImageFormat::Pcx:
        case ImageFormat::Wmf:
        case ImageFormat::Emf:
            return true;
        default:
            return false;
    }
}

// The library decode of a type the sandboxed helper serves, in process and through the helper
// (already started: the untimed warm-up starts it), and what starting one costs.
void reportSandboxCost(const QString& file, int runs) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = input.readAll();
    const ImageFormat format =
        SniffImageHeader(bytes.left(64 * 1024), QFileInfo(file).suffix()).format;
    if (!decodedOutOfProcess(format) || !SandboxedDecoder::Shared().Available()) {
        return;
    }
    const auto local = medianMs(runs, [&] {
        return (format == ImageFormat::Emf ? DecodeEmf(bytes, qint64(1) << 30)
                                           : DecodeWithMagick(bytes, format))
            .ok();
    });
    const auto sandboxed =
        medianMs(runs, [&] { return SandboxedDecoder::Shared().Decode(bytes, format).ok(); });
    const auto started = medianMs(runs, [&] {
        SandboxedDecoder fresh(SandboxedDecoder::Shared().HelperPath());
        return fresh.Decode(bytes, format).ok();
    });
    if (!local || !sandboxed) {
        return;
    }
    report(QStringLiteral("open.in_process_library_decode"), *local, QStringLiteral("ms"));
    report(QStringLiteral("open.sandboxed_library_decode"), *sandboxed, QStringLiteral("ms"));
    report(QStringLiteral("open.sandbox_cost"), *sandboxed - *local, QStringLiteral("ms"));
    if (started) {
        report(QStringLiteral("open.sandboxed_decode_with_helper_start"), *started,
               QStringLiteral("ms"));
    }
}

}  // namespace

int runOpen(QStringList arguments) {
    const int runs = takeRuns(arguments);
    QTextStream err(stderr);
    if (arguments.size() != 1 || !QFileInfo(arguments.first()).isFile()) {
        err << "usage: lorvane-bench open FILE [--runs N]" << Qt::endl;
        return 2;
    }
    const QString file = arguments.first();

    QSize fullSize;
    const auto full = medianMs(runs, [&] {
        const DecodedImage image = DecodeImageFile(file);
        fullSize = image.ok() ? image.frames.first().size() : QSize();
        return image.ok();
    });
    if (!full) {
        err << "cannot decode " << file << ": " << DecodeImageFile(file).reason << Qt::endl;
        return 1;
    }
    QSize reducedSize;
    const auto reduced = medianMs(runs, [&] {
        const DecodedImage image = DecodeImageFile(file, kScreen);
        reducedSize = image.ok() ? image.frames.first().size() : QSize();
        return image.ok();
    });

    report(QStringLiteral("open.pixels"), double(fullSize.width()) * fullSize.height() / 1e6,
           QStringLiteral("MP"));
    report(QStringLiteral("open.full_decode"), *full, QStringLiteral("ms"));
    if (reduced) {
        report(QStringLiteral("open.reduced_decode_1920x1080"), *reduced, QStringLiteral("ms"));
        report(QStringLiteral("open.reduced_width"), reducedSize.width(), QStringLiteral("px"));
    }

    reportSandboxCost(file, runs);

    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty()) {
        err << "djpeg not found (Debian: libjpeg-turbo-progs); no reference figure" << Qt::endl;
        return 0;
    }
    const auto reference = medianMs(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(djpeg, {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), file});
        return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    });
    if (!reference) {
        err << "djpeg failed on " << file << Qt::endl;
        return 0;
    }
    report(QStringLiteral("open.djpeg_full_decode"), *reference, QStringLiteral("ms"));
    report(QStringLiteral("open.full_vs_djpeg"), *full / *reference, QStringLiteral("x"));
    if (reduced) {
        report(QStringLiteral("open.reduced_vs_djpeg"), *reduced / *reference, QStringLiteral("x"));
    }
    return 0;
}

}  // namespace lorvane::bench
