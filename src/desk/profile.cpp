#include "desk/profile.h"

#include "desk/folder_rules.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QSettings>

namespace tvx {

namespace {

constexpr char kSection[] = "SETTINGS";

// Qt's own INI format writes "Last%20File"; this one keeps the keys as they are read by eye
// and by any INI reader, and escapes only what would break a line.
QByteArray EscapeValue(const QByteArray& raw) {
    QByteArray out;
    for (const char c : raw) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

QByteArray UnescapeValue(const QByteArray& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

bool ReadPlainIni(QIODevice& device, QSettings::SettingsMap& map) {
    QString section;
    while (!device.atEnd()) {
        QByteArray line = device.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QString key = QString::fromUtf8(line.left(eq).trimmed());
        // Blanks after '=' are layout ("Last File = /x"); a path never begins with one.
        QByteArray value = line.mid(eq + 1);
        while (value.startsWith(' ') || value.startsWith('\t'))
            value.remove(0, 1);
        map.insert(section.isEmpty() ? key : section + '/' + key, UnescapeValue(value));
    }
    return true;
}

bool WritePlainIni(QIODevice& device, const QSettings::SettingsMap& map) {
    QString current;
    bool first = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf('/');
        const QString section = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        if (first || section != current) {
            device.write((first ? "[" : "\n[") + section.toUtf8() + "]\n");
            current = section;
            first = false;
        }
        device.write(key.toUtf8() + '=' + EscapeValue(it.value().toByteArray()) + '\n');
    }
    return true;
}

QSettings::Format PlainIniFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), ReadPlainIni, WritePlainIni);
    return format;
}

QString KeyOf(const char* key) { return QString::fromLatin1(kSection) + '/' + key; }

}  // namespace

Profile::Profile()
    : m_settings(std::make_unique<QSettings>(PlainIniFormat(), QSettings::UserScope,
                                             QStringLiteral("Tessivox"),
                                             QStringLiteral("tessivox"))) {}

Profile::Profile(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, PlainIniFormat())) {}

Profile::~Profile() = default;

std::string Profile::Read(const char* key) const {
    return m_settings->value(KeyOf(key)).toByteArray().toStdString();
}

void Profile::Write(const char* key, const std::string& value) {
    m_settings->setValue(KeyOf(key), QByteArray::fromStdString(value));
    m_settings->sync();   // a later crash must not cost the user this setting
}

std::string Profile::LastFile() const { return Read("Last File"); }
void Profile::SetLastFile(const std::string& path) { Write("Last File", path); }
std::string Profile::LastConvertPath() const { return Read("Last Convert Path"); }
void Profile::SetLastConvertPath(const std::string& folder) { Write("Last Convert Path", folder); }

QString Profile::FileName() const { return m_settings->fileName(); }

std::string HomeFolder() { return QFile::encodeName(QDir::homePath()).toStdString(); }

std::string OpenDialogStart(const Profile& profile) {
    const std::string last = profile.LastFile();
    return !last.empty() && PathExists(last) ? last : HomeFolder();
}

std::string ConvertFolderStart(const Profile& profile) {
    const std::string last = profile.LastConvertPath();
    return !last.empty() && PathExists(last) ? last : HomeFolder();
}

}  // namespace tvx
