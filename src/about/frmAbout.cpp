#include "about/frmAbout.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "components/Skin.h"
#include "platform/Launcher.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"

namespace lorvane {

namespace {

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

// The desktops' own system-information programs, most informative first.
const char* const kLinuxSysInfoPrograms[] = {"kinfocenter", "hardinfo2", "hardinfo",
                                             "gnome-system-monitor", "xfce4-about"};

QLabel* addLabel(QVBoxLayout* layout, const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}

}  // namespace

frmAbout::frmAbout(Registry& registry, Prompts& prompts, Launcher* launcher, Skin* skin,
                   QWidget* parent, ProgramFinder findProgram)
    : QDialog(parent),
      m_registry(registry),
      m_prompts(prompts),
      m_launcher(launcher),
      m_findProgram(findProgram ? std::move(findProgram) : [](const QString& name) {
          return QStandardPaths::findExecutable(name);
      }) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Lorvane"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    QLabel* labels[] = {
        addLabel(texts, QStringLiteral("SkinLabel1"), QStringLiteral("Lorvane")),
        addLabel(texts, QStringLiteral("SkinLabel2"),
                 QStringLiteral("Version " LORVANE_VERSION_TEXT)),
        addLabel(texts, QStringLiteral("SkinLabel3"),
                 QStringLiteral("Lorvane browses the images on your computer, shows them as slide "
                                "shows in full screen and saves them in many image formats.")),
        addLabel(texts, QStringLiteral("SkinLabel4"),
                 QStringLiteral("This program is protected by copyright law. Copying or "
                                "distributing it, or any part of it, beyond what its licence "
                                "allows may result in civil and criminal penalties.")),
        addLabel(texts, QStringLiteral("SkinLabel5"),
                 QStringLiteral("Contact Info.\nhttps://harrowdale.example/lorvane\n"
                                "support@harrowdale.example")),
    };
    // The name stands out through its font: the skin replaces the labels' style sheets.
    QFont nameFont = labels[0]->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    labels[0]->setFont(nameFont);

    // A thin bar in the skin's blues, between the texts and the buttons.
    auto* bars = new QFrame(this);
    bars->setObjectName(QStringLiteral("asxBars1"));
    bars->setFixedHeight(3);
    bars->setStyleSheet(QStringLiteral(
        "QFrame#asxBars1 { border: none; background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0, "
        "stop: 0 #2b5d99, stop: 0.5 #4a8fd9, stop: 1 #2b5d99); }"));

    m_cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSysInfo);
    buttons->addWidget(m_cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bars);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // the fixed dialog border
    setMinimumWidth(420);

    if (skin) {
        skin->SkinControlWindow(QStringLiteral("smallform"), this);
        skin->SkinControlWindow(QStringLiteral("Button"), m_cmdSysInfo);
        skin->SkinControlWindow(QStringLiteral("Button"), m_cmdOK);
        for (QLabel* label : labels)
            skin->SkinControlWindow(QStringLiteral("Label"), label);
    }
}

std::optional<QString> frmAbout::GetKeyValue(RegRoot KeyRoot, const QString& KeyName,
                                             const QString& SubKeyRef) const {
    const RegOpenResult opened = m_registry.openKey(KeyRoot, KeyName, RegAccess::AllAccess);
    if (!opened.ok())
        return std::nullopt;
    const RegValue value = m_registry.queryValue(opened.key, SubKeyRef);
    if (!value.ok())
        return std::nullopt;
    return value.text();
}

QString frmAbout::findSysInfoProgram() const {
    if (const auto path = GetKeyValue(RegRoot::LocalMachine,
                                      QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                                      QStringLiteral("PATH")))
        return *path;
    if (const auto folder = GetKeyValue(
            RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
            QStringLiteral("MSINFO"))) {
        const QString program = *folder + QStringLiteral("/MSINFO32.EXE");
        if (QFileInfo::exists(program))
            return program;
    }
    for (const char* name : kLinuxSysInfoPrograms) {
        const QString found = m_findProgram(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void frmAbout::StartSysInfo() {
    const QString program = findSysInfoProgram();
    if (!program.isEmpty() && m_launcher && m_launcher->startProgram(program, {}))
        return;
    m_prompts.messageBox(kUnavailable, MessageButtons::Ok, MessageIcon::None,
                         QStringLiteral("Lorvane"));
}

}  // namespace lorvane
