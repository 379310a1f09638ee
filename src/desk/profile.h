#pragma once

#include <QString>

#include <memory>
#include <string>

class QSettings;

namespace tvx {

// The two settings the program keeps between runs, in a per-user INI file under section
// "SETTINGS". Paths are kept as bytes, so a name that is not UTF-8 comes back unchanged.
class Profile {
public:
    Profile();                                   // the user's own file
    explicit Profile(const QString& fileName);   // another file (tests, portable use)
    ~Profile();

    std::string LastFile() const;
    void SetLastFile(const std::string& path);
    std::string LastConvertPath() const;
    void SetLastConvertPath(const std::string& folder);

    QString FileName() const;

private:
    std::string Read(const char* key) const;
    void Write(const char* key, const std::string& value);

    std::unique_ptr<QSettings> m_settings;
};

// Where the open dialog starts: the last file while it exists, else the home folder.
std::string OpenDialogStart(const Profile& profile);

// The folder the convert dialog proposes: the last one while it exists, else the home folder.
std::string ConvertFolderStart(const Profile& profile);

std::string HomeFolder();

}  // namespace tvx
