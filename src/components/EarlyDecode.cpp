#include "components/EarlyDecode.h"

#include <QFile>
#include <QFileInfo>

#include <future>
#include <mutex>

#include "components/FileStamp.h"
#include "components/ImageCodecs.h"

namespace lorvane {

namespace {

struct EarlySlot {
    std::mutex mutex;
    QString path;
    FileStamp stamp;
    std::future<DecodedImage> decode;
};

EarlySlot& Slot() {
    // Never destroyed: a decode still running at exit must not be joined during static
    // destruction, after Qt is gone. DiscardEarlyDecode is the orderly end.
    static auto* slot = new EarlySlot;
    return *slot;
}

bool IsJpegFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(3);
    return head == QByteArray("\xFF\xD8\xFF", 3);
}

}  // namespace

void StartEarlyDecode(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !IsJpegFile(path))
        return;
    EarlySlot& slot = Slot();
    const std::lock_guard lock(slot.mutex);
    if (slot.decode.valid())
        return;
    slot.path = info.absoluteFilePath();
    slot.stamp = StampOf(slot.path);
    slot.decode =
        std::async(std::launch::async, [file = slot.path] { return DecodeImageFile(file); });
}

std::shared_ptr<const DecodedImage> TakeEarlyDecode(const QString& path) {
    EarlySlot& slot = Slot();
    std::future<DecodedImage> decode;
    FileStamp stamp;
    {
        const std::lock_guard lock(slot.mutex);
        if (!slot.decode.valid() || slot.path != QFileInfo(path).absoluteFilePath())
            return nullptr;
        decode = std::move(slot.decode);
        stamp = slot.stamp;
        slot.path.clear();
    }
    auto decoded = std::make_shared<const DecodedImage>(decode.get());
    // A file replaced while it was being decoded is decoded again by the caller.
    if (StampOf(path) != stamp)
        return nullptr;
    return decoded;
}

void DiscardEarlyDecode() {
    EarlySlot& slot = Slot();
    std::future<DecodedImage> decode;
    {
        const std::lock_guard lock(slot.mutex);
        decode = std::move(slot.decode);
        slot.path.clear();
    }
    if (decode.valid())
        decode.wait();
}

}  // namespace lorvane
