#include <QtTest>

#include "viewer/ImageList.h"

using namespace lorvane;

class ImageListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void removalKeepsThePositionOnItsEntry_data();
    void removalKeepsThePositionOnItsEntry();
    void aListNeverOutgrowsASixteenBitPosition_data();
    void aListNeverOutgrowsASixteenBitPosition();
    void replaceAndRemoveOutsideTheListChangeNothing();
};

void ImageListTest::removalKeepsThePositionOnItsEntry_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("expectedPaths");
    QTest::addColumn<int>("expectedPosition");
    const QStringList abc{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"};
    QTest::newRow("the shown entry: the next takes its place")
        << abc << 1 << 1 << QStringList{"/p/a.jpg", "/p/c.jpg"} << 1;
    QTest::newRow("the shown last entry: the first follows")
        << abc << 2 << 2 << QStringList{"/p/a.jpg", "/p/b.jpg"} << 0;
    QTest::newRow("the only entry") << QStringList{"/p/a.jpg"} << 0 << 0 << QStringList{} << 0;
    QTest::newRow("an entry before the shown one")
        << abc << 2 << 0 << QStringList{"/p/b.jpg", "/p/c.jpg"} << 1;
    QTest::newRow("an entry after the shown one")
        << abc << 0 << 2 << QStringList{"/p/a.jpg", "/p/b.jpg"} << 0;
}

void ImageListTest::removalKeepsThePositionOnItsEntry() {
    QFETCH(QStringList, paths);
    QFETCH(int, position);
    QFETCH(int, removed);
    QFETCH(QStringList, expectedPaths);
    QFETCH(int, expectedPosition);
    const QString shown = paths.at(position);
    ImageList list(paths, position);
    list.removeAt(removed);
    QCOMPARE(list.paths(), expectedPaths);
    QCOMPARE(list.position(), expectedPosition);
    if (removed != position)
        QCOMPARE(list.current(), shown);
}

void ImageListTest::aListNeverOutgrowsASixteenBitPosition_data() {
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("appended");
    QTest::newRow("room for one more") << 32767 << 32767 << true;
    QTest::newRow("full") << 32768 << 32768 << false;
    QTest::newRow("longer lists are cut") << 40000 << 32768 << false;
}

void ImageListTest::aListNeverOutgrowsASixteenBitPosition() {
    QFETCH(int, given);
    QFETCH(int, kept);
    QFETCH(bool, appended);
    QStringList paths;
    for (int i = 0; i < given; ++i)
        paths.append(QStringLiteral("/p/%1.jpg").arg(i));
    ImageList list(paths);
    QCOMPARE(list.count(), kept);
    QCOMPARE(list.append(QStringLiteral("/p/new.jpg")), appended);
    QCOMPARE(list.count(), appended ? kept + 1 : kept);
    QVERIFY(list.count() - 1 <= kMaxImageListPosition);
}

void ImageListTest::replaceAndRemoveOutsideTheListChangeNothing() {
    const ImageList before(QStringList{"/p/a.jpg", "/p/b.jpg"}, 1);
    ImageList list = before;
    list.removeAt(2);
    list.removeAt(-1);
    list.replaceAt(2, QStringLiteral("/p/x.jpg"));
    QCOMPARE(list, before);
    list.replaceAt(1, QStringLiteral("/p/renamed.jpg"));
    QCOMPARE(list.current(), QStringLiteral("/p/renamed.jpg"));
}

QTEST_GUILESS_MAIN(ImageListTest)
#include "tst_image_list.moc"
