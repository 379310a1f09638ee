#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tvx {

inline constexpr char kUserGuideName[] = "Tessivox User Guide.pdf";

// Where the guide is looked for, in order: manuals/ beside the program (the build tree, a
// portable copy), then the documentation folder of an installed program.
QStringList UserGuidePlaces(const QString& programDir);

// The path the not-found message names: from 64 characters on, its first 25 cut after their
// last '/', then "...", then "/manuals/Tessivox User Guide.pdf": "/opt/tools/.../manuals/...".
QString ShortGuidePath(const QString& path);

// Opens the first guide found with the desktop's viewer; none found shows string 149 naming
// the place beside the program. A viewer that fails says so itself.
void OpenUserGuide(QWidget* parent);

}  // namespace tvx
