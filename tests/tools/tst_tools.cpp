#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include "components/ImageDocument.h"
#include "platform/XdgWallpaper.h"
#include "platform/fakes/RecordingWallpaper.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "tools/PrintPlan.h"
#include "tools/SetWallpaper.h"

using namespace lorvane;

using Commands = QList<WallpaperCommand>;
Q_DECLARE_METATYPE(WallpaperCommand)
using Jobs = QList<PrintJob>;

namespace {

const QString kProtectedMessage =
    QStringLiteral("this picture is hidden or system file.we can not put it as wallpaper");

// Desktop programs for tests: each run is recorded; programs named in `failing` fail, and
// xfconf-query lists two monitors.
struct RecordingRunner {
    Commands runs;
    QStringList failing;
    WallpaperRun operator()(const WallpaperCommand& command) {
        runs.append(command);
        if (failing.contains(command.program))
            return {1, {}};
        if (command.program == QLatin1String("xfconf-query") &&
            command.arguments.contains(QLatin1String("-l")))
            return {0,
                    "/backdrop/screen0/monitor0/workspace0/last-image\n"
                    "/backdrop/screen0/monitor0/workspace0/image-style\n"
                    "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"};
        return {0, {}};
    }
};

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void wallpaperIsABitmapUnderTheImagesOwnName();
    void aSecondImageOfTheSameNameOverwritesTheFirst();
    void protectedFileInTheWayIsRefused_data();
    void protectedFileInTheWayIsRefused();
    void imageWithoutAFileNameOrNoImageDoesNothing();
    void failuresAreToldAndLeaveTheWallpaper();
    void desktopChoosesTheMechanism_data();
    void desktopChoosesTheMechanism();
    void scriptStringsAreEscaped();
    void printRangeChoosesTheJobs_data();
    void printRangeChoosesTheJobs();
    void placementOnThePage_data();
    void placementOnThePage();

private:
    QString writeImage(const QString& relative, QSize size);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void ToolsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("wallpaper")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("one")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("two")));
    m_folder = m_dir->filePath(QStringLiteral("wallpaper/"));
}

QString ToolsTest::writeImage(const QString& relative, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = m_dir->filePath(relative);
    if (!image.save(path, "PNG"))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void ToolsTest::wallpaperIsABitmapUnderTheImagesOwnName() {
    ImageDocument document;
    QVERIFY(document.LoadFile(writeImage(QStringLiteral("one/beach.png"), QSize(12, 7))));
    RecordingWallpaper wallpaper(m_folder);
    ScriptedPrompts prompts;
    QCOMPARE(SetWallpaper(document, wallpaper, prompts), WallpaperOutcome::Applied);
    const QString target = m_folder + QStringLiteral("beach.png");
    QCOMPARE(wallpaper.applied(), QStringList{target});
    QImageReader reader(target);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    QCOMPARE(reader.size(), QSize(12, 7));
    QVERIFY(prompts.messages().isEmpty());
}

void ToolsTest::aSecondImageOfTheSameNameOverwritesTheFirst() {
    RecordingWallpaper wallpaper(m_folder);
    ScriptedPrompts prompts;
    for (const auto& [folder, size] :
         {std::pair{QStringLiteral("one"), QSize(5, 5)}, {QStringLiteral("two"), QSize(9, 3)}}) {
        ImageDocument document;
        QVERIFY(document.LoadFile(writeImage(folder + QStringLiteral("/same.png"), size)));
        QCOMPARE(SetWallpaper(document, wallpaper, prompts), WallpaperOutcome::Applied);
    }
    QCOMPARE(QImageReader(m_folder + QStringLiteral("same.png")).size(), QSize(9, 3));
    QCOMPARE(wallpaper.applied().size(), 2);
}

void ToolsTest::protectedFileInTheWayIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("refused");
    QTest::newRow("hidden and read-only") << ".beach.png" << true << true;
    QTest::newRow("hidden alone") << ".beach.png" << false << false;
    QTest::newRow("read-only alone") << "beach.png" << true << false;
}

void ToolsTest::protectedFileInTheWayIsRefused() {
    QFETCH(QString, name);
    QFETCH(bool, readOnly);
    QFETCH(bool, refused);
    const QString target = m_folder + name;
    {
        QFile inTheWay(target);
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        inTheWay.write("keep me");
    }
    if (readOnly)
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ImageDocument document;
    QVERIFY(document.LoadFile(writeImage(QStringLiteral("one/") + name, QSize(4, 4))));
    RecordingWallpaper wallpaper(m_folder);
    ScriptedPrompts prompts;
    const WallpaperOutcome outcome = SetWallpaper(document, wallpaper, prompts);
    if (refused) {
        QCOMPARE(outcome, WallpaperOutcome::Refused);
        QCOMPARE(prompts.messages().size(), 1);
        QCOMPARE(prompts.messages().at(0).text, kProtectedMessage);
        QCOMPARE(prompts.messages().at(0).icon, MessageIcon::None);
        QCOMPARE(prompts.messages().at(0).caption, QStringLiteral("Lorvane"));
        QVERIFY(wallpaper.applied().isEmpty());
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
    } else {
        QCOMPARE(outcome, WallpaperOutcome::Applied);
        QCOMPARE(QImageReader(target).size(), QSize(4, 4));
    }
}

void ToolsTest::imageWithoutAFileNameOrNoImageDoesNothing() {
    RecordingWallpaper wallpaper(m_folder);
    ScriptedPrompts prompts;
    ImageDocument empty;
    QCOMPARE(SetWallpaper(empty, wallpaper, prompts), WallpaperOutcome::NothingToDo);
    ImageDocument picture;
    QImage pixels(3, 3, QImage::Format_RGB32);
    pixels.fill(Qt::blue);
    picture.LoadFromPicture(pixels);
    QCOMPARE(SetWallpaper(picture, wallpaper, prompts), WallpaperOutcome::NothingToDo);
    QVERIFY(wallpaper.applied().isEmpty());
    QVERIFY(prompts.messages().isEmpty());
    QVERIFY(QDir(m_folder).isEmpty());
}

void ToolsTest::failuresAreToldAndLeaveTheWallpaper() {
    ImageDocument document;
    QVERIFY(document.LoadFile(writeImage(QStringLiteral("one/beach.png"), QSize(4, 4))));
    ScriptedPrompts prompts;

    // A file where the folder should be: nothing can be written into it.
    const QString blocked = m_dir->filePath(QStringLiteral("blocked"));
    {
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    RecordingWallpaper unwritable(blocked + QLatin1Char('/'));
    QCOMPARE(SetWallpaper(document, unwritable, prompts), WallpaperOutcome::SaveFailed);
    QVERIFY(unwritable.applied().isEmpty());
    QCOMPARE(prompts.messages().size(), 1);

    prompts.clearRecords();
    RecordingWallpaper declining(m_folder, /*accepts=*/false);
    QCOMPARE(SetWallpaper(document, declining, prompts), WallpaperOutcome::NotApplied);
    QCOMPARE(prompts.messages().size(), 1);
    QVERIFY2(prompts.messages().at(0).text.contains(m_folder + QStringLiteral("beach.png")),
             qPrintable(prompts.messages().at(0).text));
}

void ToolsTest::desktopChoosesTheMechanism_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("override");
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<Commands>("expected");
    QTest::addColumn<bool>("applied");

    const QString path = QStringLiteral("/home/u/wall paper/it's.png");
    const QString uri = QStringLiteral("file:///home/u/wall%20paper/it's.png");
    const auto gsettings = [](const char* schema, const char* key, const QString& value) {
        return WallpaperCommand{
            QStringLiteral("gsettings"),
            {QStringLiteral("set"), QLatin1String(schema), QLatin1String(key), value}};
    };
    const auto xfSet = [&](const char* property) {
        return WallpaperCommand{
            QStringLiteral("xfconf-query"),
            {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"),
             QLatin1String(property), QStringLiteral("-s"), path}};
    };
    const WallpaperCommand gnome = gsettings("org.gnome.desktop.background", "picture-uri", uri);
    const WallpaperCommand gnomeDark =
        gsettings("org.gnome.desktop.background", "picture-uri-dark", uri);

    QTest::newRow("GNOME") << "ubuntu:GNOME"
                           << "" << QStringList() << Commands{gnome, gnomeDark} << true;
    QTest::newRow("Budgie") << "Budgie:GNOME"
                            << "" << QStringList() << Commands{gnome, gnomeDark} << true;
    QTest::newRow("Cinnamon") << "X-Cinnamon"
                              << "" << QStringList()
                              << Commands{gsettings("org.cinnamon.desktop.background",
                                                    "picture-uri", uri)}
                              << true;
    QTest::newRow("MATE takes a path")
        << "MATE"
        << "" << QStringList()
        << Commands{gsettings("org.mate.background", "picture-filename", path)} << true;
    QTest::newRow("XFCE sets every monitor")
        << "XFCE"
        << "" << QStringList()
        << Commands{{QStringLiteral("xfconf-query"),
                     {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")}},
                    xfSet("/backdrop/screen0/monitor0/workspace0/last-image"),
                    xfSet("/backdrop/screen0/monitorHDMI-1/workspace0/last-image")}
        << true;
    QTest::newRow("LXQt") << "LXQt"
                          << "" << QStringList()
                          << Commands{{QStringLiteral("pcmanfm-qt"),
                                       {QStringLiteral("--set-wallpaper"), path}}}
                          << true;
    QTest::newRow("sway quotes the path")
        << "sway"
        << "" << QStringList()
        << Commands{{QStringLiteral("swaymsg"),
                     {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                      QStringLiteral("\"/home/u/wall paper/it's.png\""), QStringLiteral("fill")}}}
        << true;
    QTest::newRow("override replaces every mechanism")
        << "GNOME"
        << "/opt/bin/setbg" << QStringList() << Commands{{QStringLiteral("/opt/bin/setbg"), {path}}}
        << true;

    const WallpaperCommand portal{
        QStringLiteral("gdbus"),
        {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
         QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("--object-path"),
         QStringLiteral("/org/freedesktop/portal/desktop"), QStringLiteral("--method"),
         QStringLiteral("org.freedesktop.portal.Wallpaper.SetWallpaperURI"), QStringLiteral("''"),
         QStringLiteral("'file:///home/u/wall%20paper/it\\'s.png'"),
         QStringLiteral("{'set-on': <'background'>}")}};
    QTest::newRow("unknown desktop: the portal") << "Hyprland"
                                                 << "" << QStringList() << Commands{portal} << true;
    QTest::newRow("no portal on X: feh")
        << ""
        << "" << QStringList{QStringLiteral("gdbus")}
        << Commands{portal, {QStringLiteral("/usr/bin/feh"), {QStringLiteral("--bg-fill"), path}}}
        << true;
    QTest::newRow("nothing answers")
        << "MATE"
        << ""
        << QStringList{QStringLiteral("gsettings"), QStringLiteral("gdbus"),
                       QStringLiteral("/usr/bin/feh")}
        << Commands{gsettings("org.mate.background", "picture-filename", path),
                    portal,
                    {QStringLiteral("/usr/bin/feh"), {QStringLiteral("--bg-fill"), path}}}
        << false;
}

void ToolsTest::desktopChoosesTheMechanism() {
    QFETCH(QString, desktop);
    QFETCH(QString, override);
    QFETCH(QStringList, failing);
    QFETCH(Commands, expected);
    QFETCH(bool, applied);
    RecordingRunner runner;
    runner.failing = failing;
    XdgWallpaper::Environment environment{
        desktop, override, /*x11Display=*/true, [](const QString& name) {
            return name == QLatin1String("feh") ? QStringLiteral("/usr/bin/feh") : QString();
        }};
    XdgWallpaper wallpaper(m_folder, environment,
                           [&runner](const WallpaperCommand& c) { return runner(c); });
    QCOMPARE(wallpaper.SetDesktopWallpaper(QStringLiteral("/home/u/wall paper/it's.png")), applied);
    QCOMPARE(runner.runs.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(runner.runs.at(i).program, expected.at(i).program);
        QCOMPARE(runner.runs.at(i).arguments, expected.at(i).arguments);
    }
}

void ToolsTest::scriptStringsAreEscaped() {
    QCOMPARE(XdgWallpaper::escapeScriptString(QStringLiteral("a\"b\\c'd\ne")),
             QStringLiteral("a\\\"b\\\\c\\'d\\u000ae"));
    // KDE receives the escaped URI inside its script, as one argument.
    RecordingRunner runner;
    XdgWallpaper wallpaper(m_folder, {QStringLiteral("KDE"), {}, false, {}},
                           [&runner](const WallpaperCommand& c) { return runner(c); });
    QVERIFY(wallpaper.SetDesktopWallpaper(QStringLiteral("/p/a\"b.png")));
    QCOMPARE(runner.runs.size(), 1);
    QCOMPARE(runner.runs.at(0).program, QStringLiteral("dbus-send"));
    const QString script = runner.runs.at(0).arguments.constLast();
    QVERIFY(script.startsWith(QLatin1String("string:")));
    QVERIFY2(script.contains(QLatin1String("writeConfig(\"Image\", \"file:///p/a%22b.png\")")),
             qPrintable(script));
}

void ToolsTest::printRangeChoosesTheJobs_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<Jobs>("jobs");
    QTest::newRow("one page, all pages, top left")
        << 1 << 0 << 1 << 1 << 0 << false << Jobs{PrintJob{{0}, false, false, false}};
    QTest::newRow("one page, all pages, fit")
        << 1 << 0 << 1 << 1 << 2 << false << Jobs{PrintJob{{0}, false, true, true}};
    QTest::newRow("three pages, all pages: one job")
        << 3 << 0 << 1 << 3 << 1 << false << Jobs{PrintJob{{0, 1, 2}, false, true, false}};
    QTest::newRow("three pages, pages 2 to 3: two jobs")
        << 3 << 2 << 2 << 3 << 2 << false
        << Jobs{PrintJob{{1}, false, true, true}, PrintJob{{2}, false, true, true}};
    QTest::newRow("selection from top left: centred, own size")
        << 3 << 1 << 1 << 3 << 0 << false << Jobs{PrintJob{{}, true, true, false}};
    QTest::newRow("selection from fit: centred, own size")
        << 1 << 1 << 1 << 1 << 2 << false << Jobs{PrintJob{{}, true, true, false}};
    QTest::newRow("from above to prints nothing") << 3 << 2 << 3 << 2 << 0 << false << Jobs{};
    QTest::newRow("pages past the end are left out")
        << 2 << 2 << 2 << 5 << 0 << false << Jobs{PrintJob{{1}, false, false, false}};
    // A file would be written anew by each job and keep only the last page.
    QTest::newRow("into a file, pages 2 to 4: one job in page order")
        << 5 << 2 << 2 << 4 << 1 << true << Jobs{PrintJob{{1, 2, 3}, false, true, false}};
    QTest::newRow("into a file, one page of the range")
        << 3 << 2 << 3 << 3 << 2 << true << Jobs{PrintJob{{2}, false, true, true}};
    QTest::newRow("into a file, pages past the end left out")
        << 2 << 2 << 1 << 5 << 0 << true << Jobs{PrintJob{{0, 1}, false, false, false}};
    QTest::newRow("into a file, from above to prints nothing")
        << 3 << 2 << 3 << 2 << 0 << true << Jobs{};
    QTest::newRow("into a file, all pages: still one job")
        << 3 << 0 << 1 << 3 << 2 << true << Jobs{PrintJob{{0, 1, 2}, false, true, true}};
    QTest::newRow("into a file, the selection")
        << 3 << 1 << 1 << 3 << 2 << true << Jobs{PrintJob{{}, true, true, false}};
}

void ToolsTest::printRangeChoosesTheJobs() {
    QFETCH(int, count);
    QFETCH(int, range);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, mode);
    QFETCH(bool, toFile);
    QFETCH(Jobs, jobs);
    QCOMPARE(PlanPrintJobs(count, static_cast<PrintRange>(range), from, to, mode,
                           toFile ? PrintOutput::File : PrintOutput::Device),
             jobs);
}

void ToolsTest::placementOnThePage_data() {
    QTest::addColumn<QSizeF>("image");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<bool>("fit");
    QTest::addColumn<QRectF>("placed");
    const QSizeF small(100, 50);
    QTest::newRow("top left") << small << false << false << QRectF(10, 20, 100, 50);
    QTest::newRow("centred") << small << true << false << QRectF(160, 295, 100, 50);
    QTest::newRow("fit, wide image") << small << true << true << QRectF(10, 220, 400, 200);
    QTest::newRow("fit, tall image") << QSizeF(50, 100) << true << true << QRectF(60, 20, 300, 600);
    QTest::newRow("too large, top left: reduced, not cut")
        << QSizeF(840, 300) << false << false << QRectF(10, 20, 400, 300.0 * 400 / 840);
}

void ToolsTest::placementOnThePage() {
    QFETCH(QSizeF, image);
    QFETCH(bool, centred);
    QFETCH(bool, fit);
    QFETCH(QRectF, placed);
    const QRectF page(10, 20, 400, 600);
    QCOMPARE(PlaceImage(image, page, centred, fit), placed);
}

QTEST_MAIN(ToolsTest)
#include "tst_tools.moc"
