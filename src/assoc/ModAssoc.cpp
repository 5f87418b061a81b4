#include "assoc/ModAssoc.h"

#include <QFileInfo>
#include <utility>

namespace lorvane {

namespace {

const QLatin1StringView kFileExts{
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"};

QString cutAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace

ModAssoc::ModAssoc(Registry& registry, AssociationNotifier& notifier, AssocEnvironment environment)
    : m_registry(registry), m_notifier(notifier), m_environment(std::move(environment)) {}

void ModAssoc::DeleteRegKey(RegRoot root, const QString& subKey) {
    const RegOpenResult parent = m_registry.openKey(root, QString(), RegAccess::AllAccess);
    if (parent.ok())
        m_registry.deleteKey(parent.key, subKey);
}

void ModAssoc::DeleteRegValue(RegRoot root, const QString& subKey, const QString& valueName) {
    const RegOpenResult opened = m_registry.openKey(root, subKey, RegAccess::AllAccess);
    if (opened.ok())
        m_registry.deleteValue(opened.key, valueName);
}

void ModAssoc::SetRegString(RegRoot root, const QString& subKey, const QString& valueName,
                            const QString& data) {
    const RegOpenResult created = m_registry.createKey(root, subKey);
    if (created.ok())
        m_registry.setString(created.key, valueName, data);
}

QString ModAssoc::GetRegString(RegRoot root, const QString& subKey, const QString& valueName,
                               const QString& fallback) const {
    const RegOpenResult opened = m_registry.openKey(root, subKey, RegAccess::Read);
    if (!opened.ok())
        return fallback;
    const RegValue value = m_registry.queryValue(opened.key, valueName);
    if (!value.ok())
        return fallback;
    QString text = value.text();
    if (value.type == RegType::ExpandSz)
        text = cutAtNul(ExpandEnvString(text));
    return text;
}

QString ModAssoc::ExpandEnvString(const QString& s) {
    QString out;
    qsizetype pos = 0;
    while (pos < s.size()) {
        const qsizetype open = s.indexOf(QLatin1Char('%'), pos);
        const qsizetype close = open < 0 ? -1 : s.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += s.mid(pos);
            break;
        }
        out += s.mid(pos, open - pos);
        const QString name = s.mid(open + 1, close - open - 1);
        const QByteArray key = name.toLocal8Bit();
        if (!name.isEmpty() && qEnvironmentVariableIsSet(key.constData())) {
            out += qEnvironmentVariable(key.constData());
            pos = close + 1;
        } else {
            // Not a reference: the first "%" stays, and the second may open the next one.
            out += s.mid(open, close - open);
            pos = close;
        }
    }
    return out;
}

QString ModAssoc::ShortPathOf(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QString();
    return path;
}

QString ModAssoc::AppFolder() const {
    const QString& folder = m_environment.programFolder;
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString ModAssoc::programPath() const {
    return ShortPathOf(AppFolder() + m_environment.programFileName);
}

QString ModAssoc::FileExtsKey(const QString& E) {
    return kFileExts + E;
}

void ModAssoc::RegisterImageType(const QString& P, const QString& D, const QString& verb,
                                 const QString& I) {
    // An earlier registration kept the type under its description; it must not linger beside
    // the ProgID.
    if (m_registry.openKey(RegRoot::ClassesRoot, D, RegAccess::Read).ok() &&
        GetRegString(RegRoot::ClassesRoot, D, QString()) == P)
        DeleteRegKey(RegRoot::ClassesRoot, D);

    const QString shell = P + QLatin1String("\\shell");
    const QString verbKey = shell + QLatin1Char('\\') + verb;
    SetRegString(RegRoot::ClassesRoot, P, QString(), D);
    SetRegString(RegRoot::ClassesRoot, shell, QString(), QString());
    SetRegString(RegRoot::ClassesRoot, verbKey, QString(), QString());
    SetRegString(RegRoot::ClassesRoot, verbKey + QLatin1String("\\command"), QString(),
                 OpenCommand());
    SetRegString(RegRoot::ClassesRoot, P + QLatin1String("\\DefaultIcon"), QString(),
                 I.isEmpty() ? programPath() : I);
}

QString ModAssoc::OpenCommand() const {
    return programPath() + QLatin1String(" %1");
}

bool ModAssoc::IsAssociated(const QString& E, const QString& P) const {
    return GetRegString(RegRoot::ClassesRoot, E, QString()) == P;
}

void ModAssoc::AssociateExtension(const QString& E, const QString& P) {
    if (IsAssociated(E, P))
        return;
    SetRegString(RegRoot::ClassesRoot, E, QStringLiteral("OldAss"),
                 GetRegString(RegRoot::ClassesRoot, E, QString()));
    SetRegString(RegRoot::ClassesRoot, E, QString(), P);

    const QString K = FileExtsKey(E);
    const QString formerProgID = GetRegString(RegRoot::CurrentUser, K, QStringLiteral("ProgID"));
    // When only the class key was taken from us, the per-user choice still names us; saving
    // that as the former opener would overwrite the real one and make a later de-association
    // give the type back to ourselves.
    if (formerProgID != P)
        SetRegString(RegRoot::CurrentUser, K, QStringLiteral("OldProgID"), formerProgID);
    SetRegString(RegRoot::CurrentUser, K, QStringLiteral("ProgID"), P);

    m_notifier.associationsChanged();
}

void ModAssoc::DeassociateExtension(const QString& E, const QString& P) {
    if (!IsAssociated(E, P))
        return;
    SetRegString(RegRoot::ClassesRoot, E, QString(),
                 GetRegString(RegRoot::ClassesRoot, E, QStringLiteral("OldAss")));
    DeleteRegValue(RegRoot::ClassesRoot, E, QStringLiteral("OldAss"));

    const QString K = FileExtsKey(E);
    SetRegString(RegRoot::CurrentUser, K, QStringLiteral("ProgID"),
                 GetRegString(RegRoot::CurrentUser, K, QStringLiteral("OldProgID")));
    DeleteRegValue(RegRoot::CurrentUser, K, QStringLiteral("OldProgID"));

    m_notifier.associationsChanged();
}

}  // namespace lorvane
