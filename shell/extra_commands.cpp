// SPDX-License-Identifier: MIT
#include "shell/extra_commands.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "config/setup_dialog.h"
#include "platform/gui/wait_cursor.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile_store.h"
#include "settings/dem_commit.h"
#include "shell/exit_status.h"
#include "shell/saver_window.h"
#include "shell/termination.h"

#include "shell/info_command.h"
#include "shell/render_command.h"
#include "shell/select_command.h"
#include "shell/xscreensaver_choice.h"
#include "shell/xscreensaver_list.h"

namespace hg {

namespace {
// Qt aborts when it cannot reach a display; say so plainly instead.
bool guiAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}
}  // namespace

std::optional<int> runExtraCommand(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    if (args[0] == "info") {
        // info reads the stored description of the working file; it must
        // not see one half of an interrupted change.
        std::filesystem::path home = homeDirectory();
        if (!home.empty()) {
            IniProfileStore store = userSettings();
            recoverDemCommit(home / kWorkingFileName, store);
        }
        return runInfoCommand(args);
    }
    if (args[0] == "select") return runSelectCommand(args);
    if (args[0] == "render") return runRenderCommand(args);
    if (args[0] == "xscreensaver") return runXScreenSaverCommand(args);
    return std::nullopt;
}

bool loadQtTranslations(QTranslator& translator) {
    if (userLanguage() != Language::Japanese) return false;
    return translator.load(QStringLiteral("qtbase_ja"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

int runSaverMode(const SaverCommand& cmd, const std::filesystem::path& memPath) {
    SaverPlacement placement;
    if (cmd.previewParent != 0) {
        placement.kind = SaverPlacement::Child;
        placement.window = static_cast<unsigned long long>(cmd.previewParent);
    }
    return runSaver(placement, memPath);
}

int runSetupMode(const std::filesystem::path& memPath) {
    if (!guiAvailable()) return failRun(loadMessage(MessageId::SetupNeedsDisplay));
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    const bool onX11 =
        platform == nullptr || *platform == '\0' || std::string_view(platform).rfind("xcb", 0) == 0;
    if (onX11 && display != nullptr && *display != '\0' && !displayAnswers(display)) {
        return failRun(formatMessage(MessageId::CannotOpenDisplay, {display}));
    }
    int argc = 1;
    char name[] = "hillglimmer";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    // Our dialogs follow the user's language; the file dialog and the
    // message boxes are Qt's and would stay English without its texts.
    QTranslator qtTexts;
    if (loadQtTranslations(qtTexts)) QCoreApplication::installTranslator(&qtTexts);
    installMessageBoxSink();
    IniProfileStore store = userSettings();
    SetupDialog dialog(memPath, store, nullptr, xscreenSaverListChoice());
    // The dialog runs in the application's own loop, so that SIGTERM ends
    // every loop at once, a file dialog's or a message box's inside it
    // too, and nothing is written: as if the user had cancelled.
    TerminationNotifier terminate;
    QObject::connect(&terminate, &TerminationNotifier::requested, &app,
                     [] { QCoreApplication::exit(); });
    QObject::connect(&dialog, &QDialog::finished, &app, [] { QCoreApplication::exit(); });
    dialog.open();
    QApplication::exec();
    return runExitStatus();
}

}  // namespace hg
