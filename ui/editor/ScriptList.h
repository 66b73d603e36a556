#pragma once
// The editor's script list: the *.wdx files of the program folder in
// cmbScriptFiles (frmDetail::FillScriptList).
#include <QString>
#include <QStringList>
#include <string>

namespace wendrel {

// Script file names of folder as the script box shows them.
QStringList scriptFileNames(const std::string& folder);

} // namespace wendrel
