// lorvane-decoder: decodes one file at a time for SandboxedDecoder, on descriptor 3.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <fcntl.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "components/EmfDecoder.h"
#include "components/MagickCodec.h"
#include "components/MetafileWriter.h"
#include "components/sandbox/DecoderProtocol.h"

using namespace lorvane;
using namespace lorvane::sandbox;

namespace {

// The helper's own budget of CPU seconds over its life; past it, it retires after the reply and
// the client starts a fresh one.
constexpr rlim_t kLifetimeCpuSeconds = 3600;

rlim_t cpuUsed() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return rlim_t(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
}

// Each coder is a module ImageMagick loads on first use, libemf2svg is loaded on first use too:
// all of it happens here, before the lockdown forbids opening files.
void warmUp() {
    QImage tiny(2, 2, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    for (ImageFormat format : {ImageFormat::Psd, ImageFormat::Pcx, ImageFormat::Tga}) {
        const EncodedBytes bytes = EncodeWithMagick(tiny, format);
        if (bytes.ok()) {
            DecodeWithMagick(bytes.bytes, format);
        }
    }
    DecodeWithMagick(EncodeWmf(tiny), ImageFormat::Wmf);
    DecodeEmf(EncodeEmf(tiny), qint64(1) << 20);
    // Fontconfig's configuration and the default face, for text in the SVG an EMF becomes.
    {
        QImage canvas(16, 16, QImage::Format_RGB32);
        QPainter painter(&canvas);
        painter.drawText(0, 12, QStringLiteral("Ag"));
    }
}

// From here on: no file opened, none created, no socket, no new program. Everything else the
// libraries need (memory, threads, time) stays allowed.
bool lockDown() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (filter == nullptr) {
        return false;
    }
    const int refused = SCMP_ACT_ERRNO(EACCES);
    bool ok = true;
    for (int call : {SCMP_SYS(open),
                     SCMP_SYS(openat),
                     SCMP_SYS(openat2),
                     SCMP_SYS(creat),
                     SCMP_SYS(open_by_handle_at),
                     SCMP_SYS(name_to_handle_at),
                     SCMP_SYS(truncate),
                     SCMP_SYS(rename),
                     SCMP_SYS(renameat),
                     SCMP_SYS(renameat2),
                     SCMP_SYS(unlink),
                     SCMP_SYS(unlinkat),
                     SCMP_SYS(mkdir),
                     SCMP_SYS(mkdirat),
                     SCMP_SYS(link),
                     SCMP_SYS(linkat),
                     SCMP_SYS(symlink),
                     SCMP_SYS(symlinkat),
                     SCMP_SYS(chmod),
                     SCMP_SYS(fchmodat),
                     SCMP_SYS(connect),
                     SCMP_SYS(bind),
                     SCMP_SYS(listen),
                     SCMP_SYS(accept),
                     SCMP_SYS(accept4),
                     SCMP_SYS(sendto),
                     SCMP_SYS(socketpair),
                     SCMP_SYS(ptrace),
                     SCMP_SYS(process_vm_writev),
                     SCMP_SYS(process_vm_readv),
                     SCMP_SYS(mount),
                     SCMP_SYS(chroot)}) {
        ok = ok && seccomp_rule_add(filter, uint32_t(refused), call, 0) == 0;
    }
    // Sockets of any family but the one we already hold are refused; so is starting a program.
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(socket), 0) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, SCMP_SYS(execve), 0) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, SCMP_SYS(execveat), 0) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

#ifdef LORVANE_DECODER_TEST_HOOKS
// Test build only: inputs starting "LORVANE-TEST " misbehave on purpose.
bool testHook(const QByteArray& data, Reply* reply) {
    if (!data.startsWith("LORVANE-TEST ")) {
        return false;
    }
    const QByteArray what = data.mid(13).trimmed();
    if (what == "crash") {
        std::abort();
    } else if (what == "spin") {
        volatile unsigned long n = 0;
        for (;;) {
            n = n + 1;
        }
    } else if (what == "sleep") {
        for (;;) {
            ::pause();
        }
    } else if (what == "allocate") {
        std::vector<std::unique_ptr<char[]>> held;
        for (;;) {
            held.emplace_back(new char[16 << 20]);
            *reinterpret_cast<volatile char*>(held.back().get()) = 1;
        }
    } else if (what == "open" || what == "create" || what == "socket") {
        const int fd = what == "open"     ? ::open("/etc/hostname", O_RDONLY)
                       : what == "create" ? ::open("/tmp/lorvane-decoder-probe",
                                                   O_WRONLY | O_CREAT | O_TRUNC, 0600)
                                          : ::socket(AF_INET, SOCK_STREAM, 0);
        const int err = errno;
        const QByteArray text =
            fd >= 0 ? QByteArray("opened") : QByteArray("refused: ") + std::strerror(err);
        reply->reasonLength = int(text.size());
        std::memcpy(reply->reason, text.constData(), size_t(text.size()));
        return true;
    }
    return false;
}
#endif

// The frames laid out page by page in one sealed memfd.
int packFrames(const QList<QImage>& frames, Reply* reply) {
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<QImage> images;
    quint64 total = 0;
    for (const QImage& frame : frames.mid(0, kMaxFrames)) {
        QImage image = frame;
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
            image.format() != QImage::Format_ARGB32_Premultiplied) {
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                  : QImage::Format_RGB32);
        }
        Frame& out = reply->frames[images.size()];
        out.width = image.width();
        out.height = image.height();
        out.qimageFormat = int(image.format());
        out.bytesPerLine = int(image.bytesPerLine());
        out.offset = total;
        total += (quint64(image.sizeInBytes()) + page - 1) / page * page;
        images.push_back(image);
    }
    reply->frameCount = int(images.size());
    if (images.empty()) {
        return -1;
    }
    const int memfd = ::memfd_create("lorvane-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memfd < 0 || ::ftruncate(memfd, off_t(total)) != 0) {
        return -1;
    }
    void* base = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_SHARED, memfd, 0);
    if (base == MAP_FAILED) {
        ::close(memfd);
        return -1;
    }
    for (size_t i = 0; i < images.size(); ++i) {
        std::memcpy(static_cast<char*>(base) + reply->frames[i].offset, images[i].constBits(),
                    size_t(images[i].sizeInBytes()));
    }
    ::munmap(base, total);
    ::fcntl(memfd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return memfd;
}

QByteArray readInput(int fd, quint64 size) {
    QByteArray data;
    if (size == 0 || size > quint64(std::numeric_limits<qsizetype>::max())) {
        return data;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped != MAP_FAILED) {
        data = QByteArray(static_cast<const char*>(mapped), qsizetype(size));
        ::munmap(mapped, size);
    }
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    if (::fcntl(kSocketFd, F_GETFD) < 0) {
        return 2;
    }
    // AddressSanitizer reserves terabytes of address space for its shadow memory, so a limit on
    // the address space would stop a sanitizer build before it starts.
#if !defined(__SANITIZE_ADDRESS__)
    const rlim_t memory = argc > 1 ? rlim_t(std::strtoull(argv[1], nullptr, 10)) : 0;
    if (memory > 0) {
        const rlimit limit{memory, memory};
        ::setrlimit(RLIMIT_AS, &limit);
    }
#endif
    // A helper stopped by a limit leaves no core file behind.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const rlimit cpu{kLifetimeCpuSeconds, kLifetimeCpuSeconds};
    ::setrlimit(RLIMIT_CPU, &cpu);

    // Qt SVG (the EMF path) paints through QPainter, which wants a GUI application.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    warmUp();
    if (!lockDown()) {
        return 3;
    }

    for (;;) {
        Request request;
        int input = -1;
        const long got = ReceiveWithFd(kSocketFd, &request, sizeof(request), &input);
        if (got <= 0) {
            return 0;
        }
        if (got != long(sizeof(request)) || request.magic != kRequestMagic || input < 0) {
            return 4;
        }
        // This file's CPU budget on top of what the helper has used so far.
        const rlim_t used = cpuUsed();
        const rlimit perFile{
            std::min(used + rlim_t(std::max(1u, request.cpuSeconds)), kLifetimeCpuSeconds),
            kLifetimeCpuSeconds};
        ::setrlimit(RLIMIT_CPU, &perFile);

        const QByteArray data = readInput(input, request.size);
        ::close(input);
        auto reply = std::make_unique<Reply>();
        const auto format = ImageFormat(request.format);
        reply->format = request.format;
        bool handled = false;
#ifdef LORVANE_DECODER_TEST_HOOKS
        handled = testHook(data, reply.get());
#endif
        int memfd = -1;
        if (!handled) {
            DecodedImage result = format == ImageFormat::Emf
                                      ? DecodeEmf(data, qint64(1024) * 1024 * 1024)
                                      : DecodeWithMagick(data, format);
            reply->bitsPerPixel = result.bitsPerPixel;
            const QByteArray reason = result.reason.toUtf8().left(kMaxReason);
            reply->reasonLength = int(reason.size());
            std::memcpy(reply->reason, reason.constData(), size_t(reason.size()));
            if (result.reason.isEmpty()) {
                memfd = packFrames(result.frames, reply.get());
                if (memfd < 0) {
                    const QByteArray tooLarge("The image is too large to open");
                    reply->frameCount = 0;
                    reply->reasonLength = int(tooLarge.size());
                    std::memcpy(reply->reason, tooLarge.constData(), size_t(tooLarge.size()));
                }
            }
        }
        const long sent = SendWithFd(kSocketFd, reply.get(), sizeof(Reply), memfd);
        if (memfd >= 0) {
            ::close(memfd);
        }
        if (sent != long(sizeof(Reply)) || cpuUsed() + 60 > kLifetimeCpuSeconds) {
            return 0;
        }
    }
}
