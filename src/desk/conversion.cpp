#include "desk/conversion.h"

#include "desk/profile.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "formats/home_of.h"

#include <QFile>

namespace tvx {

namespace {

// Calls `reopen` when it leaves scope, however that happens.
class Reopen {
public:
    explicit Reopen(const std::function<void()>& reopen) : m_reopen(reopen) {}
    ~Reopen() {
        if (m_reopen)
            m_reopen();
    }
    Reopen(const Reopen&) = delete;
    Reopen& operator=(const Reopen&) = delete;

private:
    const std::function<void()>& m_reopen;
};

}  // namespace

std::optional<ConvertChoice> AskConversion(QWidget* parent, Profile& profile) {
    CWavConvert dialog(parent);
    dialog.SetFolder(QFile::decodeName(QByteArray::fromStdString(ConvertFolderStart(profile))));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    ConvertChoice choice;
    choice.folder = QFile::encodeName(dialog.GetFolder()).toStdString();
    choice.minutes = static_cast<std::uint16_t>(dialog.Minutes());
    choice.megabytes = static_cast<std::uint16_t>(dialog.Megabytes());
    profile.SetLastConvertPath(choice.folder);
    return choice;
}

ConvertResult RunConversion(QWidget* parent, const std::string& imagePath, ImageFormat format,
                            const ConvertChoice& choice,
                            const std::function<void(CProgressDlg&)>& watch) {
    CProgressDlg progress(parent);
    if (watch)
        watch(progress);
    const ConvertRequest request{imagePath, choice.folder, choice.megabytes, choice.minutes};
    return HomeOf(format).Convert(request, progress);
}

std::optional<ConvertResult> ConvertToWav(QWidget* parent, Profile& profile,
                                          const std::string& imagePath, ImageFormat format,
                                          const std::function<void()>& releaseFile,
                                          const std::function<void()>& reopenFile) {
    const std::optional<ConvertChoice> choice = AskConversion(parent, profile);
    if (!choice)
        return std::nullopt;
    if (releaseFile)
        releaseFile();
    const Reopen reopen(reopenFile);
    return RunConversion(parent, imagePath, format, *choice);
}

}  // namespace tvx
