#include <QtTest>

#include "viewer/ViewerSession.h"

using namespace lorvane;

// The slide show's ticks against a list of which some entries cannot be shown.
class ViewerSessionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ticksLoopAndSkipWhatCannotBeShown_data();
    void ticksLoopAndSkipWhatCannotBeShown();
    void aTickWhileASlideIsAwaitedIsDropped();
    void theIntervalAndTheTimer_data();
    void theIntervalAndTheTimer();
};

void ViewerSessionTest::ticksLoopAndSkipWhatCannotBeShown_data() {
    QTest::addColumn<QStringList>("paths");  // "bad" cannot be shown
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QList<int>>("shown");  // the positions put on screen, in order
    QTest::addColumn<int>("nextSlide");
    const QStringList abc{"a", "b", "c"};
    QTest::newRow("starts after the current image") << abc << 0 << 2 << QList<int>{1, 2} << 3;
    QTest::newRow("loops after the last") << abc << 1 << 3 << QList<int>{2, 0, 1} << 2;
    QTest::newRow("skips an entry it cannot show")
        << QStringList{"a", "bad", "c"} << 0 << 1 << QList<int>{2} << 3;
    QTest::newRow("skips an empty entry")
        << QStringList{"a", "", "c"} << 0 << 1 << QList<int>{2} << 3;
    QTest::newRow("nothing to show: once round, then stops trying")
        << QStringList{"bad", "bad"} << 0 << 1 << QList<int>{} << 1;
    QTest::newRow("one image shows itself again")
        << QStringList{"a"} << 0 << 2 << QList<int>{0, 0} << 1;
}

void ViewerSessionTest::ticksLoopAndSkipWhatCannotBeShown() {
    QFETCH(QStringList, paths);
    QFETCH(int, current);
    QFETCH(int, ticks);
    QFETCH(QList<int>, shown);
    QFETCH(int, nextSlide);
    QList<int> onScreen;
    ViewerSession* self = nullptr;
    ViewerSession session([&](int position, const QString& path) {
        if (path.isEmpty() || path == QLatin1String("bad"))
            return false;
        onScreen.append(position);
        self->list().setPosition(position);
        return true;
    });
    self = &session;
    session.list() = ImageList(paths, current);
    session.setSlideInterval(0);
    session.startSlideShow();
    for (int i = 0; i < ticks; ++i)
        session.tick();
    QCOMPARE(onScreen, shown);
    QCOMPARE(session.slidePosition(), nextSlide);
    // The current position follows the show, so that file commands act on the image on screen.
    QCOMPARE(session.list().position(), shown.isEmpty() ? current : shown.last());
}

void ViewerSessionTest::aTickWhileASlideIsAwaitedIsDropped() {
    QList<int> onScreen;
    ViewerSession* self = nullptr;
    ViewerSession session([&](int position, const QString&) {
        onScreen.append(position);
        // The decode of this slide is awaited in an event loop, where the timer fires again.
        if (onScreen.size() == 1)
            self->tick();
        return true;
    });
    self = &session;
    session.list() = ImageList(QStringList{"a", "b", "c", "d"}, 0);
    session.setSlideInterval(0);
    session.startSlideShow();
    session.tick();
    QCOMPARE(onScreen, QList<int>{1});
    QCOMPARE(session.slidePosition(), 2);
    session.tick();
    QCOMPARE(onScreen, (QList<int>{1, 2}));
}

void ViewerSessionTest::theIntervalAndTheTimer_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("ticks");
    QTest::newRow("a short interval ticks") << 5 << true;
    QTest::newRow("0 never ticks, the show stays on") << 0 << false;
}

void ViewerSessionTest::theIntervalAndTheTimer() {
    QFETCH(int, interval);
    QFETCH(bool, ticks);
    int shown = 0;
    ViewerSession session([&](int, const QString&) {
        ++shown;
        return true;
    });
    session.list() = ImageList(QStringList{"a", "b"}, 0);
    session.setSlideInterval(interval);
    session.startSlideShow();
    QVERIFY(session.slideShowOn());
    QTest::qWait(60);
    QCOMPARE(shown > 0, ticks);
    session.stopSlideShow();
    const int stoppedAt = shown;
    QTest::qWait(30);
    QCOMPARE(shown, stoppedAt);
    QVERIFY(!session.slideShowOn());
}

QTEST_GUILESS_MAIN(ViewerSessionTest)
#include "tst_viewer_session.moc"
