#include "ExplorerBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QPointer>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

#include "BenchUtil.h"
#include "explorer/ExplorerItemModel.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ImageExplore.h"
#include "platform/Prompts.h"

namespace lorvane::bench {

namespace {

// A benchmark has nobody to answer questions; every prompt is answered as if cancelled.
class SilentPrompts : public Prompts {
public:
    MessageResult messageBox(const QString& text, MessageButtons, MessageIcon,
                             const QString&) override {
        QTextStream(stderr) << "message: " << text << Qt::endl;
        return MessageResult::Cancel;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
};

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct ScanTimes {
    int items = 0;
    int thumbnails = 0;
    double firstThumbnail = -1;  // seconds
    double end = 0;              // seconds
    qint64 pixelBytes = 0;
};

ScanTimes timeScan(ImageExplore& explore, const QString& folder) {
    ScanTimes times;
    ExplorerItemModel* items = explore.items();
    QElapsedTimer clock;
    const QMetaObject::Connection filled = QObject::connect(
        items, &QAbstractItemModel::dataChanged, items, [&](const QModelIndex& from) {
            if (items->kindAt(from.row()) == ExplorerItemModel::ItemKind::Thumbnail) {
                ++times.thumbnails;
                if (times.firstThumbnail < 0) {
                    times.firstThumbnail = double(clock.nsecsElapsed()) / 1e9;
                }
            }
        });
    clock.start();
    explore.ExplorePath(folder);
    times.end = double(clock.nsecsElapsed()) / 1e9;
    QObject::disconnect(filled);
    times.items = items->rowCount();
    for (int row = 0; row < times.items; ++row) {
        times.pixelBytes += items->pictureAt(row).sizeInBytes();
    }
    return times;
}

bool takeFolder(const QStringList& arguments, const char* usage) {
    if (arguments.size() != 1 || !QFileInfo(arguments.first()).isDir()) {
        QTextStream(stderr) << "usage: lorvane-bench " << usage << Qt::endl;
        return false;
    }
    return true;
}

// Scrolls from top to bottom a page at a time, painting each page at once; ms per page.
std::pair<int, double> scrollThrough(QListView* list) {
    QScrollBar* bar = list->verticalScrollBar();
    const int page = std::max(1, bar->pageStep());
    int pages = 0;
    QElapsedTimer clock;
    clock.start();
    for (int value = 0; value <= bar->maximum(); value += page) {
        bar->setValue(value);
        list->viewport()->repaint();
        ++pages;
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    bar->setValue(0);
    return {pages, pages > 0 ? ms / pages : 0};
}

}  // namespace

int runThumbnails(QStringList arguments) {
    const int runs = takeRuns(arguments, 3);
    if (!takeFolder(arguments, "thumbnails FOLDER [--runs N]")) {
        return 2;
    }
    const QString folder = arguments.first();
    SilentPrompts prompts;

    // The first run is not timed: it reads the files into the page cache and loads the image
    // plugins. It measures memory instead, from a process that has held no list before.
    double residentBefore = residentMiB();
    double residentAfter = 0;
    ScanTimes last;
    {
        ImageExplore explore(prompts);
        explore.SetExt(QString(ExplorerExtensions));
        last = timeScan(explore, folder);
        residentAfter = residentMiB();
    }
    std::vector<double> firsts;
    std::vector<double> ends;
    for (int run = 0; run < runs; ++run) {
        ImageExplore explore(prompts);
        explore.SetExt(QString(ExplorerExtensions));
        last = timeScan(explore, folder);
        firsts.push_back(last.firstThumbnail);
        ends.push_back(last.end);
    }
    const double end = median(ends);
    report(QStringLiteral("thumbnails.items"), last.items, QStringLiteral("items"));
    report(QStringLiteral("thumbnails.count"), last.thumbnails, QStringLiteral("thumbnails"));
    report(QStringLiteral("thumbnails.first"), median(firsts), QStringLiteral("s"));
    report(QStringLiteral("thumbnails.last"), end, QStringLiteral("s"));
    report(QStringLiteral("thumbnails.rate"), end > 0 ? last.thumbnails / end : 0,
           QStringLiteral("thumbnails/s"));
    report(QStringLiteral("thumbnails.pixel_bytes"), double(last.pixelBytes) / (1024 * 1024),
           QStringLiteral("MiB"));
    report(QStringLiteral("thumbnails.rss_before"), residentBefore, QStringLiteral("MiB"));
    report(QStringLiteral("thumbnails.rss_after"), residentAfter, QStringLiteral("MiB"));
    if (last.items > 0) {
        const double overhead =
            (residentAfter - residentBefore) * 1024 * 1024 - double(last.pixelBytes);
        report(QStringLiteral("thumbnails.rss_beyond_pixels_per_item"), overhead / last.items,
               QStringLiteral("bytes"));
    }
    return 0;
}

int runList(QStringList arguments) {
    if (!takeFolder(arguments, "list FOLDER")) {
        return 2;
    }
    const QString folder = arguments.first();
    SilentPrompts prompts;
    ImageExplore explore(prompts);
    explore.SetExt(QString(ExplorerExtensions));
    explore.resize(1280, 800);
    explore.show();
    QListView* list = explore.lv();
    ExplorerItemModel* items = explore.items();

    QElapsedTimer clock;
    std::optional<double> shown;
    std::pair<int, double> scrollWhileFilling{0, 0};
    bool listed = false;
    QObject::connect(items, &QAbstractItemModel::modelReset, items,
                     [&] { listed = items->rowCount() > 0; });
    // The first paint of the list after it was given its full length.
    class PaintWatch : public QObject {
    public:
        std::function<void()> painted;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && painted) {
                const bool handled = QObject::eventFilter(watched, event);
                painted();
                return handled;
            }
            return false;
        }
    } watch;
    watch.painted = [&] {
        if (!listed || shown) {
            return;
        }
        shown = double(clock.nsecsElapsed()) / 1e9;
        // Scroll while the scan still fills, from inside its wait, as a user would.
        QTimer::singleShot(0, list, [&] { scrollWhileFilling = scrollThrough(list); });
    };
    list->viewport()->installEventFilter(&watch);

    clock.start();
    explore.ExplorePath(folder);
    const double end = double(clock.nsecsElapsed()) / 1e9;
    list->viewport()->removeEventFilter(&watch);
    const auto scrollFilled = scrollThrough(list);

    report(QStringLiteral("list.items"), items->rowCount(), QStringLiteral("items"));
    report(QStringLiteral("list.full_length_shown"), shown.value_or(-1), QStringLiteral("s"));
    report(QStringLiteral("list.scroll_while_filling"), scrollWhileFilling.second,
           QStringLiteral("ms/page"));
    report(QStringLiteral("list.pages"), scrollFilled.first, QStringLiteral("pages"));
    report(QStringLiteral("list.scan_end"), end, QStringLiteral("s"));
    report(QStringLiteral("list.scroll_filled"), scrollFilled.second, QStringLiteral("ms/page"));
    report(QStringLiteral("list.rss"), residentMiB(), QStringLiteral("MiB"));
    return 0;
}

}  // namespace lorvane::bench
