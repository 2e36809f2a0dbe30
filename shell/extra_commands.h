// SPDX-License-Identifier: MIT
#pragma once

#include <QTranslator>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_line.h"

namespace hg {

// info, select and render; nullopt when args name none of them.
std::optional<int> runExtraCommand(const std::vector<std::string>& args);

// Loads Qt's own texts (the file dialog's buttons, the message boxes') for
// the dialogs' language into translator; false for English, which needs
// none, or when the translations are not installed.
bool loadQtTranslations(QTranslator& translator);

int runSaverMode(const SaverCommand& cmd, const std::filesystem::path& memPath);
int runSetupMode(const std::filesystem::path& memPath);

}  // namespace hg
