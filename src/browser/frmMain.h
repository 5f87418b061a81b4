#pragma once

#include <QMainWindow>
#include <memory>

#include "components/Skin.h"
#include "viewer/ViewerHost.h"

namespace lorvane {

class ImageExplore;
class Prompts;
class Registry;
class frmViwer;

// The browser window: the program's main window, alive for the whole process, hidden while the
// viewer runs from the command line.
// TODO(issue 5): the folder tree, the preview and its button bar.
class frmMain : public QMainWindow, public ViewerHost {
    Q_OBJECT

public:
    frmMain(Registry& registry, Prompts& prompts, QWidget* parent = nullptr);
    ~frmMain() override;

    Skin& Skin1() { return m_skin; }
    ImageExplore& ImageExplore1() { return *m_imageExplore; }

    // The viewer window, created on first use.
    frmViwer& viewer();
    bool hasViewer() const { return m_viewer != nullptr; }

    // TODO(issue 8): make the program the opener of its image types / give them back.
    void AssociateImageTypes() {}
    void DeassociateImageTypes() {}

    // Unloads the viewer (and later the folder picker) and ends the process.
    void EndMe();

    // ViewerHost
    void showBrowser() override;
    void CheckPath(const QString& s) override;
    void viewerUnloaded() override;
    void endProgram() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Registry& m_registry;
    Prompts& m_prompts;
    Skin m_skin;
    ImageExplore* m_imageExplore = nullptr;
    std::unique_ptr<frmViwer> m_viewer;
    bool m_ending = false;
};

}  // namespace lorvane
