// lorvane-identify FILE...: one tab-separated line per file, decoded by exactly the codec layer
// the viewer uses, for bug reports, benchmarks and format checks.
//   path  ok     format  width  height  images  bits-per-pixel
//   path  error  message
// Exits 1 when any file failed, 2 when no file was given.

#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

#include "components/ImageCodecs.h"
#include "components/ImageFormat.h"

int main(int argc, char* argv[]) {
    // Metafiles are drawn with fonts, which need a GUI application but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QStringList files = QCoreApplication::arguments();
    files.removeFirst();
    QTextStream out(stdout);
    if (files.isEmpty()) {
        QTextStream(stderr) << "usage: lorvane-identify FILE...\n";
        return 2;
    }
    int failed = 0;
    for (const QString& file : files) {
        const lorvane::DecodedImage decoded = lorvane::DecodeImageFile(file);
        out << file << '\t';
        if (decoded.ok()) {
            const QImage& first = decoded.frames.first();
            out << "ok\t" << lorvane::ImageFormatName(decoded.format) << '\t' << first.width()
                << '\t' << first.height() << '\t' << decoded.frames.size() << '\t'
                << decoded.bitsPerPixel << '\n';
        } else {
            ++failed;
            out << "error\t" << decoded.reason << '\n';
        }
        out.flush();
    }
    return failed > 0 ? 1 : 0;
}
