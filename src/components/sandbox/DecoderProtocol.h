#pragma once

#include <QByteArray>

#include <cstdint>

namespace lorvane::sandbox {

// One request, one reply, each a single datagram on a SOCK_SEQPACKET pair. The request's bytes
// and the reply's pixels travel in memfds passed alongside (SCM_RIGHTS).
constexpr std::uint32_t kRequestMagic = 0x4C524451;  // "LRDQ"
constexpr int kSocketFd = 3;                         // the helper's end, where it is started
constexpr int kMaxFrames = 64;
constexpr int kMaxReason = 1024;

struct Request {
    std::uint32_t magic = kRequestMagic;
    std::int32_t format = 0;  // ImageFormat
    std::uint64_t size = 0;   // bytes in the memfd
    std::uint32_t cpuSeconds = 0;
};

struct Frame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t qimageFormat = 0;
    std::int32_t bytesPerLine = 0;
    std::uint64_t offset = 0;  // page-aligned, within the memfd
};

struct Reply {
    std::int32_t format = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t frameCount = 0;
    std::int32_t reasonLength = 0;
    Frame frames[kMaxFrames];
    char reason[kMaxReason];
};

// sendmsg/recvmsg with at most one descriptor; -1 on failure, the byte count otherwise.
long SendWithFd(int socket, const void* data, std::size_t size, int fd);
long ReceiveWithFd(int socket, void* data, std::size_t size, int* fd);

}  // namespace lorvane::sandbox
