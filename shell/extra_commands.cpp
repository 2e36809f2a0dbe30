#include "shell/extra_commands.h"

#include <cstdio>

#include "shell/info_command.h"

namespace hg {

std::optional<int> runExtraCommand(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    if (args[0] == "info") return runInfoCommand(args);
    return std::nullopt;
}

int runSaverMode(const SaverCommand&, const std::filesystem::path&) {
    std::fputs("hillglimmer: the saver is not available in this version yet.\n", stderr);
    return 2;
}

int runSetupMode(const std::filesystem::path&) {
    std::fputs("hillglimmer: the setup dialog is not available in this version yet.\n", stderr);
    return 2;
}

}  // namespace hg
