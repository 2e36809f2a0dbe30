// SPDX-License-Identifier: MIT
#include "shell/select_command.h"

#include <cstdio>

#include "dem/dem_selection.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "platform/text_number.h"
#include "settings/settings.h"

#include "dem/gsi50m_sheets.h"

namespace hg {

namespace {

int usage() {
    std::fputs(loadMessage(MessageId::SelectUsage).c_str(), stderr);
    return 2;
}

SelectOutcome selectSheetsByCode(const std::filesystem::path& index,
                                 const std::vector<std::string>& codes,
                                 const std::filesystem::path& memPath, ProfileStore& store) {
    bool ok = runGuarded(nullptr, "Hillglimmer GSI-50m zumei.csv", [&] {
        CGSI50mSheets sheets;
        sheets.loadIndex(index);
        std::vector<int> picked;
        for (const std::string& code : codes) {
            auto i = sheets.indexOfCode(code);
            if (!i)
                throw std::runtime_error(
                    formatMessage(MessageId::NoSheetWithCode, {code, index.string()}));
            picked.push_back(*i);
        }
        commitSheets(sheets, picked, memPath, store);
    });
    return ok ? SelectOutcome::Changed : SelectOutcome::Failed;
}

}  // namespace

int runSelectCommand(const std::vector<std::string>& args) {
    if (args.size() < 2) return usage();
    std::filesystem::path file = args[1];
    std::filesystem::path home = homeDirectory();
    if (home.empty()) {
        std::fprintf(stderr, "hillglimmer: %s\n", loadMessage(MessageId::NoHomeDirectory).c_str());
        return 1;
    }
    std::filesystem::path memPath = home / kWorkingFileName;
    IniProfileStore store = userSettings();
    std::vector<std::string> codes(args.begin() + 2, args.end());

    SheetIndexHandler onIndex;
    if (!codes.empty()) {
        if (classifyDemFile(file).action != DemAction::SheetIndex) return usage();
        onIndex = [&](const std::filesystem::path& index) {
            return selectSheetsByCode(index, codes, memPath, store);
        };
    }

    switch (selectDemFile(file, memPath, store, nullptr, onIndex, {})) {
        case SelectOutcome::Changed:
            std::puts(formatMessage(MessageId::SaverNowShows,
                                    {file.string(), formatInteger(readDemType(store))})
                          .c_str());
            return 0;
        case SelectOutcome::Unchanged:
            std::puts(loadMessage(MessageId::AlreadyWorkingFile).c_str());
            return 0;
        case SelectOutcome::Failed:
        case SelectOutcome::Cancelled:
            return 1;
    }
    return 1;
}

}  // namespace hg
