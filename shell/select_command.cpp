// SPDX-License-Identifier: MIT
#include "shell/select_command.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
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

// Ctrl-C or SIGTERM during a select stops the copy or import at its next
// step, so its stage goes and the previous DEM stays; a second signal ends
// the program at once. A handler can only reach a flag of the process.
volatile std::sig_atomic_t gStopAsked = 0;

extern "C" void onStopAsked(int) {
    gStopAsked = 1;
}

void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = onStopAsked;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

// A copy or import that takes more than a second says how far it has come
// on one line of the terminal, rewritten in place. Only on a terminal: a
// script or a log gets the outcome alone, not a stream of carriage returns.
class TerminalProgress {
public:
    explicit TerminalProgress(const std::filesystem::path& file)
        : label_(formatMessage(MessageId::ImportReading, {file.string()})),
          onTerminal_(::isatty(STDERR_FILENO) == 1) {}
    ~TerminalProgress() {
        if (shown_) std::fputc('\n', stderr);
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool operator()(double fraction) {
        if (gStopAsked != 0) return false;
        if (!onTerminal_) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1)) return true;
        const std::string figure =
            fraction >= 0.0
                ? formatMessage(MessageId::ProgressPercent,
                                {formatInteger(static_cast<long long>(fraction * 100.0))})
                : formatMessage(
                      MessageId::ProgressSeconds,
                      {formatInteger(
                          std::chrono::duration_cast<std::chrono::seconds>(now - start_).count())});
        if (figure != last_) {
            std::fprintf(stderr, "\r%s %s\x1b[K", label_.c_str(), figure.c_str());
            std::fflush(stderr);
            last_ = figure;
            shown_ = true;
        }
        return true;
    }

private:
    std::string label_;
    bool onTerminal_;
    bool shown_ = false;
    std::string last_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

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

    stopOnSignals();
    // A stop asked while waiting for the settings lock gives up the wait.
    store.setLockWait([] { return gStopAsked == 0; });
    SelectOutcome outcome;
    {
        TerminalProgress progress(file);
        outcome = selectDemFile(file, memPath, store, nullptr, onIndex, {},
                                [&progress](double done) { return progress(done); });
    }
    if (outcome != SelectOutcome::Changed && gStopAsked != 0) outcome = SelectOutcome::Cancelled;
    switch (outcome) {
        case SelectOutcome::Changed:
            std::puts(formatMessage(MessageId::SaverNowShows,
                                    {file.string(), formatInteger(readDemType(store))})
                          .c_str());
            return 0;
        case SelectOutcome::Unchanged:
            std::puts(loadMessage(MessageId::AlreadyWorkingFile).c_str());
            return 0;
        case SelectOutcome::Failed:
            return 1;
        case SelectOutcome::Cancelled:
            std::fprintf(stderr, "hillglimmer: %s\n",
                         loadMessage(MessageId::ImportCancelledNote).c_str());
            return 1;
    }
    return 1;
}

}  // namespace hg
