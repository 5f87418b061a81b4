#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"
#include "explorer/NaturalNameOrder.h"
#include "explorer/WildcardPattern.h"

namespace lorvane {

namespace {

// A temporary folder the listing tests fill with empty files, folders and links by name.
class SandboxFolder {
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }

    void addFiles(const QStringList& names) const {
        for (const QString& name : names) {
            QFile file(pathOf(name));
            QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
        }
    }
    void addFolder(const QString& name) const { QVERIFY(QDir(path()).mkpath(name)); }
    void addLink(const QString& target, const QString& name) const {
        QVERIFY(QFile::link(target, pathOf(name)));
    }

private:
    QTemporaryDir m_dir;
};

// The names of a listing, in its order, for comparing against a table row.
QStringList NamesOf(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths) {
        names.push_back(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    }
    return names;
}

QStringList SortedRaw(QStringList names) {
    std::sort(names.begin(), names.end());
    return names;
}

const QString kExplorerList = NormalizedExtList(ExplorerExtensions);

}  // namespace

class TestExplorer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extensionIsTextAfterLastDotOfName_data();
    void extensionIsTextAfterLastDotOfName();
    void explorerListMatchesBySubstringOfAtLeastThree_data();
    void explorerListMatchesBySubstringOfAtLeastThree();
    void emptyExplorerListMatchesNothing();
    void extListIsStoredInLowerCase();
    void supportedImageMatchesAnyNonEmptySubstring_data();
    void supportedImageMatchesAnyNonEmptySubstring();
    void pictureLoaderTakesIconsCursorsDibsAndNamesWithoutExtension_data();
    void pictureLoaderTakesIconsCursorsDibsAndNamesWithoutExtension();

    void wildcardPatternMatchesLikeADirectorySearch_data();
    void wildcardPatternMatchesLikeADirectorySearch();

    void naturalOrderSortsNumbersByValueAndIgnoresCase_data();
    void naturalOrderSortsNumbersByValueAndIgnoresCase();
    void naturalOrderComparisonAgreesWithSorting();
    void naturalOrderSortsItemsByTheirNames();

    void listingKeepsOnlyFilesWithListedExtensions();
    void listingIsTheSameWithOrWithoutTrailingSeparator();
    void listingIsInNaturalNameOrder();
    void listingAppliesSearchPattern_data();
    void listingAppliesSearchPattern();
    void listingFollowsLinksToFilesOnly();
    void listingSkipsSpecialFiles();
    void listingOfEmptyOrMissingFolderIsEmpty();
    void listingOfUnreadableFolderIsEmpty();
    void listingOfRelativeFolderStaysRelative();
    void listingOfEmptyPathIsTheRootFolder();
    void listingStopsAtSixteenBitPositions();
};

void TestExplorer::extensionIsTextAfterLastDotOfName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extension");
    QTest::newRow("several dots") << "/pics/photo.Big.JPG"
                                  << "JPG";
    QTest::newRow("no dot") << "/pics/photo"
                            << "";
    QTest::newRow("dot only in folder") << "/pics.d/photo"
                                        << "";
    QTest::newRow("trailing dot") << "/pics/photo."
                                  << "";
    QTest::newRow("hidden name") << "/pics/.x.jpg"
                                 << "jpg";
    QTest::newRow("bare name") << "a.png"
                               << "png";
    QTest::newRow("empty") << ""
                           << "";
}

void TestExplorer::extensionIsTextAfterLastDotOfName() {
    QFETCH(QString, path);
    QFETCH(QString, extension);
    QCOMPARE(ExtensionOf(path), extension);
}

void TestExplorer::explorerListMatchesBySubstringOfAtLeastThree_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("listed");
    QTest::newRow("jpg") << "/p/a.jpg" << true;
    QTest::newRow("PNG upper case") << "/p/b.PNG" << true;
    QTest::newRow("wbmp") << "/p/c.wbmp" << true;
    QTest::newRow("wbm, a piece of wbmp") << "/p/d.wbm" << true;
    QTest::newRow("dib") << "/p/e.dib" << true;
    QTest::newRow("jpeg") << "/p/f.jpeg" << false;
    QTest::newRow("tiff") << "/p/g.tiff" << false;
    QTest::newRow("cur, only in the supported list") << "/p/h.cur" << false;
    QTest::newRow("jp, too short") << "/p/i.jp" << false;
    QTest::newRow("g, too short") << "/p/j.g" << false;
    QTest::newRow("no extension") << "/p/jpg" << false;
    QTest::newRow("spans two entries") << "/p/k.g g" << true;
    QTest::newRow("dot in folder only") << "/p.jpg/readme" << false;
}

void TestExplorer::explorerListMatchesBySubstringOfAtLeastThree() {
    QFETCH(QString, path);
    QFETCH(bool, listed);
    QCOMPARE(HasListedExtension(kExplorerList, path), listed);
    // The fixed upper-case list gives the same answers as the installed lower-case one.
    QCOMPARE(HasListedExtension(ExplorerExtensions, path), listed);
}

void TestExplorer::emptyExplorerListMatchesNothing() {
    QVERIFY(!HasListedExtension(QString(), QStringLiteral("/p/a.jpg")));
    QVERIFY(!HasListedExtension(NormalizedExtList(QString()), QStringLiteral("/p/a.jpg")));
}

void TestExplorer::extListIsStoredInLowerCase() {
    QCOMPARE(NormalizedExtList(QStringLiteral("JPG Gif")), QStringLiteral("jpg gif"));
}

void TestExplorer::supportedImageMatchesAnyNonEmptySubstring_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("supported");
    QTest::newRow("cur") << "x.cur" << true;
    QTest::newRow("JPG") << "x.JPG" << true;
    QTest::newRow("p, one letter") << "x.p" << true;
    QTest::newRow("if, inside GIF") << "x.if" << true;
    QTest::newRow("wbm") << "x.wbm" << true;
    QTest::newRow("jpeg") << "x.jpeg" << false;
    QTest::newRow("no extension") << "x" << false;
    QTest::newRow("trailing dot") << "x." << false;
}

void TestExplorer::supportedImageMatchesAnyNonEmptySubstring() {
    QFETCH(QString, path);
    QFETCH(bool, supported);
    QCOMPARE(IsSupportedImage(path), supported);
}

void TestExplorer::pictureLoaderTakesIconsCursorsDibsAndNamesWithoutExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("picture");
    QTest::newRow("ICO") << "/p/x.ICO" << true;
    QTest::newRow("cur") << "/p/x.cur" << true;
    QTest::newRow("dib") << "/p/x.dib" << true;
    QTest::newRow("no extension") << "/p/x" << true;
    QTest::newRow("co, inside ico") << "/p/x.co" << true;
    QTest::newRow("bmp") << "/p/x.bmp" << false;
    QTest::newRow("jpg") << "/p/x.jpg" << false;
}

void TestExplorer::pictureLoaderTakesIconsCursorsDibsAndNamesWithoutExtension() {
    QFETCH(QString, path);
    QFETCH(bool, picture);
    QCOMPARE(UsesPictureLoader(path), picture);
}

void TestExplorer::wildcardPatternMatchesLikeADirectorySearch_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("*.* and a dotted name") << "*.*"
                                           << "a.jpg" << true;
    QTest::newRow("*.* and a name without dot") << "*.*"
                                                << "readme" << true;
    QTest::newRow("* and anything") << "*"
                                    << ".hidden" << true;
    QTest::newRow("name.* and the bare name") << "photo.*"
                                              << "photo" << true;
    QTest::newRow("name.* and another name") << "photo.*"
                                             << "photos" << false;
    QTest::newRow("extension ignores case") << "*.JPG"
                                            << "a.jpg" << true;
    QTest::newRow("extension differs") << "*.jpg"
                                       << "a.jpeg" << false;
    QTest::newRow("? is one character") << "?.png"
                                        << "b.png" << true;
    QTest::newRow("? is not two") << "?.png"
                                  << "bb.png" << false;
    QTest::newRow("brackets are literal") << "[a].jpg"
                                          << "[a].jpg" << true;
    QTest::newRow("brackets are not a set") << "[a].jpg"
                                            << "a.jpg" << false;
    QTest::newRow("regex characters are literal") << "a+b.jpg"
                                                  << "aab.jpg" << false;
    QTest::newRow("non-BMP character")
        << QString::fromUtf8("\U0001F600*") << QString::fromUtf8("\U0001F600.jpg") << true;
}

void TestExplorer::wildcardPatternMatchesLikeADirectorySearch() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(WildcardPattern(pattern).matches(name), matches);
}

void TestExplorer::naturalOrderSortsNumbersByValueAndIgnoresCase_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("numbers by value") << QStringList{"img10.jpg", "img2.jpg", "img1.jpg"}
                                      << QStringList{"img1.jpg", "img2.jpg", "img10.jpg"};
    QTest::newRow("letter case ignored")
        << QStringList{"c.jpg", "B.jpg", "a.jpg"} << QStringList{"a.jpg", "B.jpg", "c.jpg"};
    // Equal under the collation: the raw text decides, whatever the input order.
    QTest::newRow("case tie, lower first in")
        << QStringList{"a.jpg", "A.jpg"} << QStringList{"A.jpg", "a.jpg"};
    QTest::newRow("case tie, upper first in")
        << QStringList{"A.jpg", "a.jpg"} << QStringList{"A.jpg", "a.jpg"};
    QTest::newRow("leading zero tie")
        << QStringList{"img2.jpg", "img02.jpg"} << QStringList{"img02.jpg", "img2.jpg"};
}

void TestExplorer::naturalOrderSortsNumbersByValueAndIgnoresCase() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    QCOMPARE(NaturalNameOrder().sorted(names), expected);
}

void TestExplorer::naturalOrderComparisonAgreesWithSorting() {
    const NaturalNameOrder order;
    const QStringList names{"img10.jpg", "B.jpg", "a.jpg",  "A.jpg",  "img2.jpg", "img02.jpg",
                            "c.jpg",     "Z.jpg", "_u.jpg", ".x.jpg", "e.jpg",    "\u00e9.jpg"};
    const QStringList keyed = order.sorted(names);
    QStringList compared = names;
    std::sort(compared.begin(), compared.end(), order);
    QCOMPARE(compared, keyed);
}

void TestExplorer::naturalOrderSortsItemsByTheirNames() {
    struct Item {
        QString name;
        int tag;
    };
    const QList<Item> items{{"img10.jpg", 10}, {"img9.jpg", 9}, {"IMG1.jpg", 1}};
    const QList<Item> sorted =
        NaturalNameOrder().sorted(items, [](const Item& i) { return i.name; });
    QCOMPARE(sorted.size(), 3);
    QCOMPARE(sorted[0].tag, 1);
    QCOMPARE(sorted[1].tag, 9);
    QCOMPARE(sorted[2].tag, 10);
}

void TestExplorer::listingKeepsOnlyFilesWithListedExtensions() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"a.JPG", "b.png", "c.jpeg", "d.tiff", "e.cur", "f", "g.wbm", ".x.jpg", "h.jp",
                     "notes.txt"});
    folder.addFolder(QStringLiteral("album.jpg"));

    const QStringList listed = GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"));
    QCOMPARE(SortedRaw(NamesOf(listed)), (QStringList{".x.jpg", "a.JPG", "b.png", "g.wbm"}));
}

void TestExplorer::listingIsTheSameWithOrWithoutTrailingSeparator() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"a.jpg", "b.gif"});

    const QStringList plain = GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"));
    const QStringList slashed =
        GetImageList(kExplorerList, folder.path() + QLatin1Char('/'), QStringLiteral("*.*"));
    QCOMPARE(slashed, plain);
    QCOMPARE(plain, (QStringList{folder.pathOf("a.jpg"), folder.pathOf("b.gif")}));
}

void TestExplorer::listingIsInNaturalNameOrder() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"img10.jpg", "c.jpg", "img2.jpg", "B.jpg", "a.jpg", "img1.png"});

    const QStringList listed = GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"));
    QCOMPARE(NamesOf(listed),
             (QStringList{"a.jpg", "B.jpg", "c.jpg", "img1.png", "img2.jpg", "img10.jpg"}));
}

void TestExplorer::listingAppliesSearchPattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("*.*") << "*.*" << QStringList{"a.jpg", "b1.png", "b2.PNG"};
    QTest::newRow("*") << "*" << QStringList{"a.jpg", "b1.png", "b2.PNG"};
    QTest::newRow("prefix") << "b*" << QStringList{"b1.png", "b2.PNG"};
    QTest::newRow("extension, other case") << "*.png" << QStringList{"b1.png", "b2.PNG"};
    QTest::newRow("one character") << "b?.png" << QStringList{"b1.png", "b2.PNG"};
    QTest::newRow("no match") << "z*" << QStringList{};
}

void TestExplorer::listingAppliesSearchPattern() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"a.jpg", "b1.png", "b2.PNG", "b3.txt"});

    QCOMPARE(NamesOf(GetImageList(kExplorerList, folder.path(), pattern)), expected);
}

void TestExplorer::listingFollowsLinksToFilesOnly() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"real.jpg"});
    folder.addFolder(QStringLiteral("sub"));
    folder.addLink(folder.pathOf("real.jpg"), QStringLiteral("link.jpg"));
    folder.addLink(folder.pathOf("sub"), QStringLiteral("folderlink.jpg"));
    folder.addLink(folder.pathOf("missing.jpg"), QStringLiteral("broken.jpg"));

    QCOMPARE(NamesOf(GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"))),
             (QStringList{"link.jpg", "real.jpg"}));
}

void TestExplorer::listingSkipsSpecialFiles() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFiles({"a.jpg"});
    // Decoding a FIFO would block for ever waiting for a writer.
    QCOMPARE(::mkfifo(QFile::encodeName(folder.pathOf("pipe.jpg")).constData(), 0600), 0);

    QCOMPARE(NamesOf(GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"))),
             (QStringList{"a.jpg"}));
}

void TestExplorer::listingOfEmptyOrMissingFolderIsEmpty() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFolder(QStringLiteral("empty"));
    folder.addFiles({"plain.jpg"});

    QVERIFY(GetImageList(kExplorerList, folder.pathOf("empty"), "*.*").isEmpty());
    QVERIFY(GetImageList(kExplorerList, folder.pathOf("missing"), "*.*").isEmpty());
    QVERIFY(GetImageList(kExplorerList, folder.pathOf("plain.jpg"), "*.*").isEmpty());
    // Without an installed list nothing is an image.
    QVERIFY(GetImageList(QString(), folder.path(), "*.*").isEmpty());
}

void TestExplorer::listingOfUnreadableFolderIsEmpty() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFolder(QStringLiteral("closed"));
    folder.addFiles({"closed/a.jpg"});

    QVERIFY(QFile::setPermissions(folder.pathOf("closed"), QFile::Permissions()));
    const bool stillReadable = !QDir(folder.pathOf("closed")).entryList(QDir::Files).isEmpty();
    const QStringList closed = GetImageList(kExplorerList, folder.pathOf("closed"), "*.*");
    QVERIFY(QFile::setPermissions(folder.pathOf("closed"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    if (stillReadable) {
        QSKIP("permissions are not enforced for this user");
    }
    QVERIFY(closed.isEmpty());
}

void TestExplorer::listingOfRelativeFolderStaysRelative() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    folder.addFolder(QStringLiteral("pics"));
    folder.addFiles({"pics/a.jpg"});

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    const QStringList listed = GetImageList(kExplorerList, QStringLiteral("pics"), "*.*");
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(listed, QStringList{QStringLiteral("pics/a.jpg")});
}

void TestExplorer::listingOfEmptyPathIsTheRootFolder() {
    const QStringList listed = GetImageList(kExplorerList, QString(), QStringLiteral("*.*"));
    QCOMPARE(listed, GetImageList(kExplorerList, QStringLiteral("/"), QStringLiteral("*.*")));
    for (const QString& path : listed) {
        QVERIFY2(path.startsWith(QLatin1Char('/')) && path.lastIndexOf(QLatin1Char('/')) == 0,
                 qPrintable(path));
    }
}

void TestExplorer::listingStopsAtSixteenBitPositions() {
    SandboxFolder folder;
    QVERIFY(folder.isValid());
    const qsizetype count = kMaxImageListSize + 2;
    QStringList names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        names.push_back(QStringLiteral("p%1.jpg").arg(i));
    }
    folder.addFiles(names);

    const QStringList listed = GetImageList(kExplorerList, folder.path(), QStringLiteral("*.*"));
    QCOMPARE(listed.size(), kMaxImageListSize);
    // The names cut off are the last ones in listing order.
    QCOMPARE(listed.constFirst(), folder.pathOf("p0.jpg"));
    QCOMPARE(listed.constLast(),
             folder.pathOf(QStringLiteral("p%1.jpg").arg(kMaxImageListSize - 1)));
}

}  // namespace lorvane

QTEST_GUILESS_MAIN(lorvane::TestExplorer)
#include "tst_explorer.moc"
