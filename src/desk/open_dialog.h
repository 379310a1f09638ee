#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace tvx {

class Profile;

// The open dialog's filter: all three formats, each alone, then everything.
QString OpenFilter();

// Runs the open dialog from the last file (or the home folder) and returns the chosen image.
// Only an existing file can be chosen; Cancel gives nothing. The caller loads it and, when
// the load succeeds, writes it to the profile as the last file.
std::optional<std::string> ChooseImage(QWidget* parent, const Profile& profile);

}  // namespace tvx
