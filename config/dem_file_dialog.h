// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>

class QWidget;

namespace hg {

// The six filters as Qt name filters, each pattern matching without case
// ("*.mem" also takes "A.MEM").
QStringList demNameFilters();

// The filter shown first for the stored demType; a type without its own
// filter shows the first.
int initialFilterIndex(int demType);

// Asks for a DEM file; nullopt when the user cancels.
std::optional<std::filesystem::path> chooseDemFile(QWidget* owner, int demType);

}  // namespace hg
