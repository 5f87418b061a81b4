#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>

#include "components/ImageCodecs.h"
#include "components/ImageFormat.h"

namespace lorvane {

// Decodes the formats whose libraries we do not trust (ImageMagick, libwmf, libemf2svg) in a
// helper process: memory- and CPU-limited, and locked down by seccomp once its libraries are
// loaded. The helper is started on the first request and kept for the next ones; requests are
// served one at a time. A helper that crashes, is killed or overruns the wall-clock limit gives
// "The file is truncated or damaged" and is replaced on the next request. Thread-safe.
class SandboxedDecoder {
public:
    struct Limits {
        qint64 memoryBytes = qint64(3) * 1024 * 1024 * 1024;
        int cpuSeconds = 30;
        std::chrono::milliseconds wallClock{60000};
    };

    explicit SandboxedDecoder(QString helperPath, Limits limits);
    SandboxedDecoder(QString helperPath);
    ~SandboxedDecoder();
    SandboxedDecoder(const SandboxedDecoder&) = delete;
    SandboxedDecoder& operator=(const SandboxedDecoder&) = delete;

    DecodedImage Decode(const QByteArray& data, ImageFormat format);
    // Whether the helper binary exists; without it callers decode in process.
    bool Available() const;
    QString HelperPath() const { return helperPath_; }
    // The helper's process id, 0 while none runs.
    qint64 HelperPid() const;

    // The one used by the codec layer: lorvane-decoder beside the running program.
    static SandboxedDecoder& Shared();

private:
    bool start();
    void stop();
    DecodedImage exchange(const QByteArray& data, ImageFormat format, bool* retry);

    QString helperPath_;
    Limits limits_;
    mutable std::mutex lock_;
    int socket_ = -1;
    int pid_ = 0;
};

}  // namespace lorvane
