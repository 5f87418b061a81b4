#pragma once

#include <QObject>

namespace lorvane {

// The destination folder picker, driven as a user would.
class TestFrmFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersByButton();
    void closeBoxCancels();
    void keysAnswerWhereverTheFocusIs_data();
    void keysAnswerWhereverTheFocusIs();
    void treeAndRootFillDestination();
    void progressDialogCancels();
};

}  // namespace lorvane
