#pragma once
// File-dialog filters written the classic way, "text|patterns|text|patterns"
// with ';' between patterns, turned into Qt name filters. Each keeps its text
// as it is shown and carries its patterns in a trailing group, which the
// dialogs hide (QFileDialog::HideNameFilterDetails).

#include <QStringList>
#include <string_view>

// Filter is Shift-JIS. A pattern "*.*" stands for every file, as it did
// where names without an extension were rare.
QStringList QtNameFilters(std::string_view Filter);
