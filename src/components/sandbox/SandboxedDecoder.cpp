#include "components/sandbox/SandboxedDecoder.h"

#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "components/sandbox/DecoderProtocol.h"

extern char** environ;

namespace lorvane {

namespace {

using namespace sandbox;

DecodedImage damaged(ImageFormat format) {
    DecodedImage result;
    result.format = format;
    result.reason = QStringLiteral("The file is truncated or damaged");
    return result;
}

QString besideProgram() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return {};
    }
    return QFileInfo(QString::fromLocal8Bit(buffer, length)).absolutePath() +
           QStringLiteral("/lorvane-decoder");
}

bool knownLayout(int format) {
    switch (format) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return true;
        default:
            return false;
    }
}

struct Mapping {
    void* address;
    size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->length);
    delete mapping;
}

// Pixels from the helper, checked against the memfd before any is read: the helper may be
// compromised, so sizes are not trusted, and the memfd must be sealed against shrinking (a
// shrunk memfd would fault our mapping).
bool takeFrames(const Reply& reply, int memfd, DecodedImage* result) {
    const int seals = ::fcntl(memfd, F_GET_SEALS);
    if (seals < 0 || (seals & (F_SEAL_SHRINK | F_SEAL_SEAL)) != (F_SEAL_SHRINK | F_SEAL_SEAL)) {
        return false;
    }
    struct stat info {};
    if (::fstat(memfd, &info) != 0 || info.st_size <= 0) {
        return false;
    }
    const quint64 total = quint64(info.st_size);
    const long page = ::sysconf(_SC_PAGESIZE);
    for (int i = 0; i < reply.frameCount; ++i) {
        const Frame& frame = reply.frames[i];
        if (frame.width <= 0 || frame.height <= 0 || !knownLayout(frame.qimageFormat) ||
            qint64(frame.bytesPerLine) < qint64(frame.width) * 4 || frame.offset % page != 0) {
            return false;
        }
        const quint64 length = quint64(frame.bytesPerLine) * quint64(frame.height);
        if (frame.offset > total || length > total - frame.offset) {
            return false;
        }
        void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, memfd,
                               off_t(frame.offset));
        if (address == MAP_FAILED) {
            return false;
        }
        QImage image(static_cast<uchar*>(address), frame.width, frame.height, frame.bytesPerLine,
                     QImage::Format(frame.qimageFormat), unmap,
                     new Mapping{address, size_t(length)});
        result->frames.append(image);
    }
    return true;
}

}  // namespace

SandboxedDecoder::SandboxedDecoder(QString helperPath, Limits limits)
    : helperPath_(std::move(helperPath)), limits_(limits) {}

SandboxedDecoder::SandboxedDecoder(QString helperPath)
    : SandboxedDecoder(std::move(helperPath), Limits{}) {}

SandboxedDecoder::~SandboxedDecoder() {
    const std::lock_guard<std::mutex> guard(lock_);
    stop();
}

SandboxedDecoder& SandboxedDecoder::Shared() {
    static SandboxedDecoder shared(besideProgram());
    return shared;
}

bool SandboxedDecoder::Available() const {
    return !helperPath_.isEmpty() && QFileInfo(helperPath_).isExecutable();
}

qint64 SandboxedDecoder::HelperPid() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return pid_;
}

bool SandboxedDecoder::start() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        return false;
    }
    // Above the helper's fixed descriptor, so that the dup2 below always clears close-on-exec.
    const int child = ::fcntl(pair[1], F_DUPFD_CLOEXEC, kSocketFd + 1);
    ::close(pair[1]);
    if (child < 0) {
        ::close(pair[0]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child, kSocketFd);
    const QByteArray program = helperPath_.toLocal8Bit();
    const QByteArray memory = QByteArray::number(limits_.memoryBytes);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(memory.constData()),
                    nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(child);
    if (spawned != 0) {
        ::close(pair[0]);
        return false;
    }
    socket_ = pair[0];
    pid_ = pid;
    return true;
}

void SandboxedDecoder::stop() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
    }
}

DecodedImage SandboxedDecoder::Decode(const QByteArray& data, ImageFormat format) {
    const std::lock_guard<std::mutex> guard(lock_);
    // A helper found gone before it took the request (it retires itself, or died idle) is
    // replaced once; one that fails on the request itself is not given the file again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (socket_ < 0 && !start()) {
            DecodedImage result;
            result.format = format;
            result.reason = QStringLiteral("The decoder helper could not be started");
            return result;
        }
        bool retry = false;
        DecodedImage result = exchange(data, format, &retry);
        if (!retry) {
            return result;
        }
    }
    return damaged(format);
}

DecodedImage SandboxedDecoder::exchange(const QByteArray& data, ImageFormat format, bool* retry) {
    const int input = ::memfd_create("lorvane-input", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (input < 0) {
        return damaged(format);
    }
    const char* bytes = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(input, bytes, size_t(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            ::close(input);
            return damaged(format);
        }
        bytes += written;
        left -= written;
    }
    ::fcntl(input, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    Request request;
    request.format = int(format);
    request.size = quint64(data.size());
    request.cpuSeconds = quint32(limits_.cpuSeconds);
    const long sent = SendWithFd(socket_, &request, sizeof(request), input);
    ::close(input);
    if (sent != long(sizeof(request))) {
        *retry = true;
        stop();
        return damaged(format);
    }

    pollfd waiting{socket_, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + limits_.wallClock;
    for (;;) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            stop();
            return damaged(format);
        }
        const int ready = ::poll(&waiting, 1, int(remaining.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            stop();
            return damaged(format);
        }
        break;
    }
    auto reply = std::make_unique<Reply>();
    int memfd = -1;
    const long got = ReceiveWithFd(socket_, reply.get(), sizeof(Reply), &memfd);
    if (got != long(sizeof(Reply))) {
        // Crashed, killed by its limits, or talking nonsense: a new helper for the next file.
        if (memfd >= 0) {
            ::close(memfd);
        }
        stop();
        return damaged(format);
    }
    DecodedImage result;
    result.format = format;
    result.bitsPerPixel = reply->bitsPerPixel;
    const int reasonLength = std::clamp(reply->reasonLength, 0, kMaxReason);
    result.reason = QString::fromUtf8(reply->reason, reasonLength);
    if (reply->frameCount < 0 || reply->frameCount > kMaxFrames ||
        (reply->frameCount > 0 && (memfd < 0 || !takeFrames(*reply, memfd, &result)))) {
        if (memfd >= 0) {
            ::close(memfd);
        }
        stop();
        return damaged(format);
    }
    if (memfd >= 0) {
        ::close(memfd);
    }
    if (result.frames.isEmpty() && result.reason.isEmpty()) {
        return damaged(format);
    }
    return result;
}

}  // namespace lorvane
