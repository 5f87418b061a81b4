#include <QCoreApplication>
#include <QTest>
#include <memory>

QObject* newAssocTest();
QObject* newDesktopAssocTest();

// Two suites in one executable: the rules on the plain hive, and the same rules on a desktop
// made of temporary freedesktop folders.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto make : {newAssocTest, newDesktopAssocTest}) {
        const std::unique_ptr<QObject> suite(make());
        failed += QTest::qExec(suite.get(), argc, argv);
    }
    return failed;
}
