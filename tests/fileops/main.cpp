#include <QApplication>
#include <QTest>

#include "tst_frmfile.h"
#include "tst_runfileoperation.h"
#include "tst_shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    {
        lorvane::TestShellFileOperation test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        lorvane::TestRunFileOperation test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        lorvane::TestFrmFile test;
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed;
}
