#include "browser/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

#include "explorer/ImageExplore.h"
#include "viewer/frmViwer.h"

namespace lorvane {

namespace {
// Design client area, twips.
constexpr int kClientWidthTwips = 9510;
constexpr int kClientHeightTwips = 8085;
}  // namespace

frmMain::frmMain(Registry& registry, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_registry(registry), m_prompts(prompts) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lorvane"));
    m_imageExplore = new ImageExplore(m_prompts, this);
    setCentralWidget(m_imageExplore);
    const double dpi = screen() ? screen()->logicalDotsPerInchX() : 96.0;
    const double twipsPerPixel = 1440.0 / (dpi > 0 ? dpi : 96.0);
    resize(static_cast<int>(kClientWidthTwips / twipsPerPixel),
           static_cast<int>(kClientHeightTwips / twipsPerPixel));
}

frmMain::~frmMain() = default;

frmViwer& frmMain::viewer() {
    if (!m_viewer)
        m_viewer = std::make_unique<frmViwer>(m_registry, m_prompts, &m_skin, *this);
    return *m_viewer;
}

void frmMain::EndMe() {
    if (m_ending)
        return;
    m_ending = true;
    // The viewer may be the caller (its close sequence ends the program), so it is only
    // unloaded here and destroyed with this window, after the event loop has ended.
    if (m_viewer) {
        m_viewer->unloadForShutdown();
        m_viewer->hide();
    }
    QCoreApplication::exit(0);
}

void frmMain::showBrowser() {
    show();
    raise();
    activateWindow();
}

void frmMain::CheckPath(const QString&) {
    // TODO(issue 5): move the folder tree and the explorer to the image's folder.
}

void frmMain::viewerUnloaded() {
    // The viewer is inside its own close handler: delete it once that has returned.
    if (m_viewer)
        m_viewer.release()->deleteLater();
}

void frmMain::endProgram() {
    EndMe();
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    EndMe();
}

}  // namespace lorvane
