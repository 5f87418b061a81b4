#include "platform/RegistryHive.h"

#include <QStringDecoder>
#include <algorithm>

namespace lorvane {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

// Names go into the text file between quotes or brackets on one line, so line breaks, NULs and
// lone surrogates (which UTF-8 cannot carry) would not survive a rewrite.
bool isRepresentableName(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == u'\r' || c == u'\n' || c == u'\0') {
            return false;
        }
        if (c.isHighSurrogate()) {
            if (i + 1 >= name.size() || !name[i + 1].isLowSurrogate()) {
                return false;
            }
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

// The bounds of the Windows registry: key names of at most 255 characters, value names of at most
// 16383, keys nested at most 512 deep. A file past them was not written by a registry.
constexpr qsizetype kMaxKeyNameLength = 255;
constexpr qsizetype kMaxValueNameLength = 16383;
constexpr qsizetype kMaxKeyDepth = 512;

std::optional<QStringList> splitKeyPath(const QString& path) {
    if (path.startsWith(u'\\')) {
        return std::nullopt;
    }
    QString trimmed = path;
    if (trimmed.endsWith(u'\\')) {
        trimmed.chop(1);
    }
    if (trimmed.isEmpty()) {
        return QStringList();
    }
    const QStringList names = trimmed.split(u'\\');
    if (names.size() > kMaxKeyDepth) {
        return std::nullopt;
    }
    for (const QString& name : names) {
        if (name.isEmpty() || name.size() > kMaxKeyNameLength || !isRepresentableName(name)) {
            return std::nullopt;
        }
    }
    return names;
}

std::optional<qsizetype> rootIndex(RegRoot root) {
    const quint32 index = quint32(root) - quint32(RegRoot::ClassesRoot);
    if (index >= 4) {
        return std::nullopt;
    }
    return qsizetype(index);
}

const std::array<QString, 4> kRootNames = {
    QStringLiteral("HKEY_CLASSES_ROOT"),
    QStringLiteral("HKEY_CURRENT_USER"),
    QStringLiteral("HKEY_LOCAL_MACHINE"),
    QStringLiteral("HKEY_USERS"),
};

std::optional<RegRoot> rootFromName(const QString& name) {
    for (size_t i = 0; i < kRootNames.size(); ++i) {
        if (name.compare(kRootNames[i], Qt::CaseInsensitive) == 0) {
            return RegRoot(quint32(RegRoot::ClassesRoot) + quint32(i));
        }
    }
    return std::nullopt;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

template <typename Container>
auto findByName(Container& items, const QString& name) {
    return std::find_if(items.begin(), items.end(),
                        [&name](const auto& item) { return sameName(item.name, name); });
}

QString quoted(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
        }
        out += c;
    }
    out += u'"';
    return out;
}

// REG_SZ data that reads back identically from the quoted form: whole UTF-16 units, exactly one
// NUL at the end, no line breaks, no lone surrogates.
bool isQuotableString(const QByteArray& data) {
    if (data.size() < 2 || data.size() % 2 != 0 || data.at(data.size() - 1) != 0 ||
        data.at(data.size() - 2) != 0) {
        return false;
    }
    const QString text = regStringText(data);
    return text.size() == data.size() / 2 - 1 && isRepresentableName(text);
}

// Lines of the hex form are wrapped as regedit wraps them, with "\" and a two-space indent.
constexpr qsizetype kHexLineLimit = 77;

void appendHex(QString& out, QString line, const QByteArray& data) {
    for (qsizetype i = 0; i < data.size(); ++i) {
        QString token = QStringLiteral("%1").arg(quint8(data[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < data.size()) {
            token += u',';
        }
        if (i > 0 && line.size() + token.size() > kHexLineLimit) {
            out += line;
            out += QStringLiteral("\\\n");
            line = QStringLiteral("  ");
        }
        line += token;
    }
    out += line;
    out += u'\n';
}

void appendValue(QString& out, const RegistryHive::Value& value) {
    const QString name = value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
    if (value.type == RegType::Sz && isQuotableString(value.data)) {
        out += name + u'=' + quoted(regStringText(value.data)) + u'\n';
    } else if (value.type == RegType::Dword && value.data.size() == 4) {
        const quint32 number =
            quint32(quint8(value.data[0])) | (quint32(quint8(value.data[1])) << 8) |
            (quint32(quint8(value.data[2])) << 16) | (quint32(quint8(value.data[3])) << 24);
        out += name + QStringLiteral("=dword:%1\n").arg(number, 8, 16, QLatin1Char('0'));
    } else if (value.type == RegType::Binary) {
        appendHex(out, name + QStringLiteral("=hex:"), value.data);
    } else {
        appendHex(out, name + QStringLiteral("=hex(%1):").arg(quint32(value.type), 0, 16),
                  value.data);
    }
}

void putValue(std::vector<RegistryHive::Value>& values, const QString& name, RegType type,
              const QByteArray& data) {
    const auto it = findByName(values, name);
    if (it != values.end()) {
        it->type = type;
        it->data = data;
    } else {
        values.push_back({name, type, data});
    }
}

struct QuotedText {
    QString text;
    qsizetype end = -1;  // just after the closing quote; -1 when there is none
};

// Only \\ and \" are escapes in the .reg format; any other backslash stands for itself, so a
// hand-written "C:\Pictures" still reads as meant.
QuotedText readQuoted(const QString& line, qsizetype start) {
    QuotedText result;
    for (qsizetype i = start + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size() && (line[i + 1] == u'\\' || line[i + 1] == u'"')) {
            result.text += line[i + 1];
            ++i;
        } else if (c == u'"') {
            result.end = i + 1;
            return result;
        } else {
            result.text += c;
        }
    }
    return result;
}

std::optional<QByteArray> readHexBytes(const QString& list) {
    QByteArray bytes;
    QStringList tokens = list.split(u',');
    if (tokens.size() > 1 && tokens.last().trimmed().isEmpty()) {
        tokens.removeLast();
    }
    if (tokens.size() == 1 && tokens.first().trimmed().isEmpty()) {
        return bytes;
    }
    for (const QString& token : tokens) {
        const QString digits = token.trimmed();
        bool ok = false;
        const uint byte = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 2 || digits.startsWith(u'+')) {
            return std::nullopt;
        }
        bytes.append(char(byte));
    }
    return bytes;
}

std::optional<QString> decodeText(const QByteArray& bytes) {
    QByteArray body = bytes;
    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    if (body.startsWith("\xFF\xFE")) {
        encoding = QStringDecoder::Utf16LE;
        body.remove(0, 2);
    } else if (body.startsWith("\xFE\xFF")) {
        encoding = QStringDecoder::Utf16BE;
        body.remove(0, 2);
    } else if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
    }
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

const RegistryHive::Key* RegistryHive::findKey(RegRoot root, const QStringList& names) const {
    const auto index = rootIndex(root);
    if (!index) {
        return nullptr;
    }
    const Key* key = &m_roots[size_t(*index)];
    for (const QString& name : names) {
        const auto it = findByName(key->subKeys, name);
        if (it == key->subKeys.end()) {
            return nullptr;
        }
        key = &*it;
    }
    return key;
}

RegistryHive::Key* RegistryHive::findKey(RegRoot root, const QStringList& names) {
    return const_cast<Key*>(std::as_const(*this).findKey(root, names));
}

RegistryHive::Key* RegistryHive::findOrCreateKey(RegRoot root, const QStringList& names,
                                                 qsizetype* createdPathsLength) {
    const auto index = rootIndex(root);
    if (!index) {
        return nullptr;
    }
    Key* key = &m_roots[size_t(*index)];
    qsizetype pathLength = kRootNames[size_t(*index)].size();
    for (const QString& name : names) {
        pathLength += 1 + name.size();
        auto it = std::lower_bound(key->subKeys.begin(), key->subKeys.end(), name,
                                   [](const Key& k, const QString& n) {
                                       return k.name.compare(n, Qt::CaseInsensitive) < 0;
                                   });
        if (it == key->subKeys.end() || !sameName(it->name, name)) {
            it = key->subKeys.insert(it, Key{name, {}, {}});
            if (createdPathsLength) {
                *createdPathsLength += pathLength;
            }
        }
        key = &*it;
    }
    return key;
}

void RegistryHive::removeTree(RegRoot root, const QStringList& names) {
    if (names.isEmpty()) {
        return;
    }
    Key* parent = findKey(root, names.mid(0, names.size() - 1));
    if (parent) {
        const auto it = findByName(parent->subKeys, names.last());
        if (it != parent->subKeys.end()) {
            parent->subKeys.erase(it);
        }
    }
}

long RegistryHive::checkKey(RegRoot root, const QString& path) const {
    if (!rootIndex(root)) {
        return RegError::InvalidHandle;
    }
    const auto names = splitKeyPath(path);
    if (!names) {
        return RegError::BadPathname;
    }
    return findKey(root, *names) ? RegError::Success : RegError::FileNotFound;
}

long RegistryHive::createKey(RegRoot root, const QString& path) {
    if (!rootIndex(root)) {
        return RegError::InvalidHandle;
    }
    const auto names = splitKeyPath(path);
    if (!names) {
        return RegError::BadPathname;
    }
    findOrCreateKey(root, *names);
    return RegError::Success;
}

long RegistryHive::deleteKey(RegRoot root, const QString& path) {
    const long error = checkKey(root, path);
    if (error != RegError::Success) {
        return error;
    }
    const QStringList names = *splitKeyPath(path);
    if (names.isEmpty() || !findKey(root, names)->subKeys.empty()) {
        return RegError::AccessDenied;
    }
    removeTree(root, names);
    return RegError::Success;
}

RegSubKeys RegistryHive::subKeyNames(RegRoot root, const QString& path) const {
    RegSubKeys result;
    result.error = checkKey(root, path);
    if (result.error == RegError::Success) {
        for (const Key& sub : findKey(root, *splitKeyPath(path))->subKeys) {
            result.names.append(sub.name);
        }
    } else if (result.error == RegError::FileNotFound) {
        result.error = RegError::KeyDeleted;
    }
    return result;
}

RegValue RegistryHive::queryValue(RegRoot root, const QString& path, const QString& name) const {
    RegValue result;
    result.error = checkKey(root, path);
    if (result.error == RegError::FileNotFound) {
        result.error = RegError::KeyDeleted;
    }
    if (result.error != RegError::Success) {
        return result;
    }
    const Key* key = findKey(root, *splitKeyPath(path));
    const auto it = findByName(key->values, name);
    if (it == key->values.end()) {
        result.error = RegError::FileNotFound;
        return result;
    }
    result.type = it->type;
    result.data = it->data;
    return result;
}

long RegistryHive::setValue(RegRoot root, const QString& path, const QString& name, RegType type,
                            const QByteArray& data) {
    const long error = checkKey(root, path);
    if (error != RegError::Success) {
        return error == RegError::FileNotFound ? RegError::KeyDeleted : error;
    }
    if (name.size() > kMaxValueNameLength || !isRepresentableName(name)) {
        return RegError::InvalidParameter;
    }
    putValue(findKey(root, *splitKeyPath(path))->values, name, type, data);
    return RegError::Success;
}

long RegistryHive::deleteValue(RegRoot root, const QString& path, const QString& name) {
    const long error = checkKey(root, path);
    if (error != RegError::Success) {
        return error == RegError::FileNotFound ? RegError::KeyDeleted : error;
    }
    auto& values = findKey(root, *splitKeyPath(path))->values;
    const auto it = findByName(values, name);
    if (it == values.end()) {
        return RegError::FileNotFound;
    }
    values.erase(it);
    return RegError::Success;
}

void RegistryHive::writeKey(QString& out, const QString& path, const Key& key, bool writeHeader) {
    if (writeHeader) {
        out += u'[' + path + QStringLiteral("]\n");
        for (const Value& value : key.values) {
            appendValue(out, value);
        }
        out += u'\n';
    }
    for (const Key& sub : key.subKeys) {
        writeKey(out, path + u'\\' + sub.name, sub, true);
    }
}

QByteArray RegistryHive::toRegFile() const {
    QString out = kHeader + QStringLiteral("\n\n");
    for (size_t i = 0; i < m_roots.size(); ++i) {
        // A root is named only when it holds values itself; its subkeys name it anyway.
        writeKey(out, kRootNames[i], m_roots[i], !m_roots[i].values.empty());
    }
    return out.toUtf8();
}

RegistryHiveParse RegistryHive::fromRegFile(const QByteArray& bytes) {
    RegistryHiveParse result;
    const auto fail = [&result](qsizetype lineIndex, const QString& reason) {
        result.hive.reset();
        result.error = QStringLiteral("line %1: %2").arg(lineIndex + 1).arg(reason);
        return result;
    };

    if (bytes.size() > kMaxFileSize) {
        return fail(0, QStringLiteral("larger than %1 MiB").arg(kMaxFileSize >> 20));
    }
    const auto text = decodeText(bytes);
    if (!text) {
        return fail(0, QStringLiteral("not UTF-8 or UTF-16 text"));
    }
    RegistryHive hive;
    if (text->trimmed().isEmpty()) {
        result.hive = hive;
        return result;
    }
    QStringList lines = text->split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    if (lines.first().trimmed() != kHeader) {
        return fail(0, QStringLiteral("the first line is not \"%1\"").arg(kHeader));
    }

    // Every key is written with its whole path, so a file naming one deep key would be written
    // back as every key on the way; such a file is refused rather than blown up on the next write.
    const qsizetype maxWrittenPaths = 4 * bytes.size() + (1 << 20);
    qsizetype writtenPaths = 0;
    Key* current = nullptr;
    bool inDeletedKey = false;  // values after a [-key] line are ignored, as regedit does
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }

        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']')) {
                return fail(i, QStringLiteral("a key line without its closing bracket"));
            }
            QString inner = line.mid(1, line.size() - 2);
            const bool deletion = inner.startsWith(u'-');
            if (deletion) {
                inner.remove(0, 1);
            }
            const qsizetype separator = inner.indexOf(u'\\');
            const auto root = rootFromName(separator < 0 ? inner : inner.left(separator));
            if (!root) {
                return fail(i, QStringLiteral("an unknown root key"));
            }
            const auto names = splitKeyPath(separator < 0 ? QString() : inner.mid(separator + 1));
            if (!names) {
                return fail(i, QStringLiteral("a key path with an empty or invalid name"));
            }
            if (deletion) {
                if (names->isEmpty()) {
                    return fail(i, QStringLiteral("a root key cannot be deleted"));
                }
                hive.removeTree(*root, *names);
                current = nullptr;
                inDeletedKey = true;
            } else {
                current = hive.findOrCreateKey(*root, *names, &writtenPaths);
                inDeletedKey = false;
                if (writtenPaths > maxWrittenPaths) {
                    return fail(i, QStringLiteral("keys nested far deeper than the file is long"));
                }
            }
            continue;
        }

        if (!line.startsWith(u'"') && !line.startsWith(u'@')) {
            return fail(i, QStringLiteral("a line that is neither a key nor a value"));
        }
        if (!current && !inDeletedKey) {
            return fail(i, QStringLiteral("a value before the first key"));
        }
        QString name;
        qsizetype pos = 1;
        if (line.startsWith(u'"')) {
            const QuotedText quotedName = readQuoted(line, 0);
            if (quotedName.end < 0) {
                return fail(i, QStringLiteral("a value name without its closing quote"));
            }
            name = quotedName.text;
            pos = quotedName.end;
        }
        while (pos < line.size() && line[pos].isSpace()) {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != u'=') {
            return fail(i, QStringLiteral("a value name not followed by \"=\""));
        }
        QString data = line.mid(pos + 1).trimmed();

        if (data == QStringLiteral("-")) {
            if (current) {
                const auto it = findByName(current->values, name);
                if (it != current->values.end()) {
                    current->values.erase(it);
                }
            }
            continue;
        }

        RegType type = RegType::Sz;
        QByteArray valueData;
        if (data.startsWith(u'"')) {
            const QuotedText quotedData = readQuoted(data, 0);
            if (quotedData.end != data.size()) {
                return fail(i, QStringLiteral("a string value without its closing quote"));
            }
            valueData = regStringData(quotedData.text);
        } else if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            const QString digits = data.mid(6);
            bool ok = false;
            const quint32 number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+')) {
                return fail(i, QStringLiteral("a dword value that is not 8 hex digits"));
            }
            type = RegType::Dword;
            for (int shift = 0; shift < 32; shift += 8) {
                valueData.append(char((number >> shift) & 0xff));
            }
        } else if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
            qsizetype listStart = -1;
            if (data.size() > 3 && data[3] == u':') {
                type = RegType::Binary;
                listStart = 4;
            } else if (data.size() > 3 && data[3] == u'(') {
                const qsizetype close = data.indexOf(u')');
                bool ok = false;
                const QString number = data.mid(4, close - 4);
                const quint32 typeNumber = number.toUInt(&ok, 16);
                if (close < 0 || !ok || number.startsWith(u'+') || close + 1 >= data.size() ||
                    data[close + 1] != u':') {
                    return fail(i, QStringLiteral("a hex value with a bad type"));
                }
                type = RegType(typeNumber);
                listStart = close + 2;
            } else {
                return fail(i, QStringLiteral("a hex value with a bad type"));
            }
            QString list = data.mid(listStart);
            while (list.endsWith(u'\\')) {
                list.chop(1);
                if (++i >= lines.size()) {
                    return fail(i - 1, QStringLiteral("a continued line at the end of the file"));
                }
                list += lines[i].trimmed();
            }
            const auto hexBytes = readHexBytes(list);
            if (!hexBytes) {
                return fail(i, QStringLiteral("a hex value with a bad byte"));
            }
            valueData = *hexBytes;
        } else {
            return fail(i, QStringLiteral("a value of an unknown form"));
        }

        if (current) {
            if (name.size() > kMaxValueNameLength || !isRepresentableName(name)) {
                return fail(i, QStringLiteral("a value name that cannot be kept"));
            }
            putValue(current->values, name, type, valueData);
        }
    }
    result.hive = hive;
    return result;
}

}  // namespace lorvane
