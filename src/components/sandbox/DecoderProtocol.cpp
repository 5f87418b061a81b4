#include "components/sandbox/DecoderProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lorvane::sandbox {

long SendWithFd(int socket, const void* data, std::size_t size, int fd) {
    iovec io{const_cast<void*>(data), size};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof(int));
    }
    long sent;
    do {
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

long ReceiveWithFd(int socket, void* data, std::size_t size, int* fd) {
    *fd = -1;
    iovec io{data, size};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    long got;
    do {
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return got;
    }
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
            header->cmsg_len >= CMSG_LEN(sizeof(int))) {
            const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            int fds[8] = {};
            std::memcpy(fds, CMSG_DATA(header), std::min<std::size_t>(count, 8) * sizeof(int));
            for (std::size_t i = 0; i < std::min<std::size_t>(count, 8); ++i) {
                if (*fd < 0) {
                    *fd = fds[i];
                } else {
                    ::close(fds[i]);
                }
            }
        }
    }
    if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
        return -1;
    }
    return got;
}

}  // namespace lorvane::sandbox
