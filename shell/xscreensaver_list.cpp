// SPDX-License-Identifier: MIT
#include "shell/xscreensaver_list.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/file.h"
#include "platform/messages.h"

namespace hg {

namespace {

// A settings file is a few kilobytes; anything far larger is not one.
constexpr std::uint64_t kMaxFileBytes = 16u << 20;

// One physical line: its text without the line end, and the line end
// itself ("\n", "\r\n", or empty for a last line without one).
struct Line {
    std::string body;
    std::string end;
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        Line line;
        if (nl == std::string_view::npos) {
            line.body = std::string(text.substr(at));
            at = text.size();
        } else {
            std::size_t bodyEnd = nl;
            if (bodyEnd > at && text[bodyEnd - 1] == '\r') --bodyEnd;
            line.body = std::string(text.substr(at, bodyEnd - at));
            line.end = std::string(text.substr(bodyEnd, nl + 1 - bodyEnd));
            at = nl + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string joinLines(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.body + l.end;
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A line continues into the next when it ends in an odd number of
// backslashes: an even number are escaped backslashes.
bool continues(const Line& line) {
    std::size_t n = 0;
    for (auto it = line.body.rbegin(); it != line.body.rend() && *it == '\\'; ++it) ++n;
    return n % 2 == 1;
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// The length of "programs:" (with blanks and an optional '*' before it and
// blanks before the colon) at the start of a line, or 0.
std::size_t programsKeyLength(std::string_view body) {
    std::size_t i = 0;
    while (i < body.size() && isBlank(body[i])) ++i;
    if (i < body.size() && body[i] == '*') ++i;
    constexpr std::string_view kKey = "programs";
    if (body.substr(i, kKey.size()) != kKey) return 0;
    i += kKey.size();
    while (i < body.size() && isBlank(body[i])) ++i;
    return i < body.size() && body[i] == ':' ? i + 1 : 0;
}

// The last programs resource: its first and last physical line.
struct Block {
    std::size_t first = 0, last = 0;
    bool found = false;
};

Block findPrograms(const std::vector<Line>& lines) {
    Block block;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i;
        while (end + 1 < lines.size() && continues(lines[end])) ++end;
        if (programsKeyLength(lines[i].body) > 0) block = {i, end, true};
        i = end + 1;
    }
    return block;
}

// The entry text of line i of the block: without the key on the first
// line, the continuation, the "\n" that separates entries, and blanks.
std::string_view entryText(const std::vector<Line>& lines, const Block& b, std::size_t i) {
    std::string_view s = lines[i].body;
    if (i == b.first) s.remove_prefix(programsKeyLength(s));
    if (continues(lines[i])) s.remove_suffix(1);
    s = trimmed(s);
    if (endsWith(s, "\\n")) s.remove_suffix(2);
    return trimmed(s);
}

// Whether an entry runs this program as we list it, and whether it is
// disabled. XScreenSaver's settings tool may write the option with two
// dashes.
struct EntryMatch {
    bool ours = false;
    bool disabled = false;
};

EntryMatch matchEntry(std::string_view entry) {
    EntryMatch m;
    if (!entry.empty() && entry.front() == '-') {
        m.disabled = true;
        entry = trimmed(entry.substr(1));
    }
    std::istringstream words{std::string(entry)};
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    std::size_t k = 0;
    if (k < w.size() && w[k].back() == ':') ++k;  // the visual, "GL:"
    m.ours =
        w.size() == k + 2 && w[k] == "hillglimmer" && (w[k + 1] == "-root" || w[k + 1] == "--root");
    return m;
}

std::string ourBody(const std::string& indent, std::string_view ending) {
    return indent + std::string(kOurProgramEntry) + " " + std::string(ending);
}

}  // namespace

std::string minimalXScreenSaverFile() {
    return withOurProgram("").text;
}

bool listsOurProgram(std::string_view file) {
    const std::vector<Line> lines = splitLines(file);
    const Block b = findPrograms(lines);
    if (!b.found) return false;
    for (std::size_t i = b.first; i <= b.last; ++i) {
        const EntryMatch m = matchEntry(entryText(lines, b, i));
        if (m.ours && !m.disabled) return true;
    }
    return false;
}

ProgramsEdit withOurProgram(std::string_view file) {
    std::vector<Line> lines = splitLines(file);
    const Block b = findPrograms(lines);
    if (!b.found) {
        // A resource of our own after everything else; the system's list
        // is merged with it as with any user's list.
        std::string out(file);
        if (!out.empty() && out.back() != '\n') out += '\n';
        out += "programs:\t\\\n" + ourBody("\t\t", "\\n\\") + "\n\n";
        return {out, true};
    }
    std::size_t last = b.first;
    bool lastIsEntry = false;
    for (std::size_t i = b.first; i <= b.last; ++i) {
        const std::string_view entry = entryText(lines, b, i);
        const EntryMatch m = matchEntry(entry);
        if (m.ours && !m.disabled) return {std::string(file), false};
        if (m.ours) {
            // Enabled again where the user disabled it: the dash goes.
            std::string& body = lines[i].body;
            body.erase(static_cast<std::size_t>(entry.data() - body.data()), 1);
            return {joinLines(lines), true};
        }
        if (!entry.empty()) {
            last = i;
            lastIsEntry = true;
        }
    }
    Line& prev = lines[last];
    std::string indent = "\t\t";
    // The last entry's indent, where it has one (a disabled entry starts
    // with its dash).
    if (lastIsEntry && last != b.first) {
        const std::string own = prev.body.substr(0, prev.body.find_first_not_of(" \t"));
        if (!own.empty()) indent = own;
    }
    Line ours;
    ours.end = prev.end.empty() ? "\n" : prev.end;
    if (continues(prev)) {
        // The way XScreenSaver writes the list: every entry ends "\n\" and
        // an empty line closes the resource.
        ours.body = ourBody(indent, "\\n\\");
    } else if (endsWith(
                   std::string_view(prev.body).substr(0, prev.body.find_last_not_of(" \t") + 1),
                   "\\n")) {
        prev.body += '\\';
        ours.body = ourBody(indent, "\\n");
    } else {
        prev.body += "\\n\\";
        ours.body = ourBody(indent, "");
        // A trailing blank would be kept in the last entry's command.
        ours.body.pop_back();
    }
    if (prev.end.empty()) {
        // The file's last line had no line end: it gets ours, and ours
        // none, as the file had.
        prev.end = ours.end;
        ours.end.clear();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, ours);
    return {joinLines(lines), true};
}

ProgramsEdit withoutOurProgram(std::string_view file) {
    std::vector<Line> lines = splitLines(file);
    bool changed = false;
    for (;;) {
        const Block b = findPrograms(lines);
        if (!b.found) break;
        std::size_t at = b.last + 1;
        for (std::size_t i = b.first; i <= b.last && at > b.last; ++i) {
            if (matchEntry(entryText(lines, b, i)).ours) at = i;
        }
        if (at > b.last) break;
        changed = true;
        Line& line = lines[at];
        if (at == b.first) {
            // The entry shares the line with the key: only the entry goes.
            const std::size_t key = programsKeyLength(line.body);
            line.body = line.body.substr(0, key) + (continues(line) ? "\t\\" : "");
            continue;
        }
        // Undo what adding did to the line before, by how this one ends.
        Line& prev = lines[at - 1];
        const std::string_view body = trimmed(line.body);
        if (!continues(line) && continues(prev)) {
            if (endsWith(body, "\\n")) {
                prev.body.pop_back();
            } else if (endsWith(prev.body, "\\n\\")) {
                prev.body.resize(prev.body.size() - 3);
            } else {
                prev.body.pop_back();
            }
            if (line.end.empty()) prev.end.clear();
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (!changed) return {std::string(file), false};
    // The resource adding made for a file that had none, now empty.
    std::string out = joinLines(lines);
    const std::string emptyOwn = "programs:\t\\\n\n";
    if (endsWith(out, emptyOwn) &&
        (out.size() == emptyOwn.size() || out[out.size() - emptyOwn.size() - 1] == '\n')) {
        out.resize(out.size() - emptyOwn.size());
    }
    return {out, true};
}

std::filesystem::path xscreenSaverFilePath() {
    std::filesystem::path home;
    // XScreenSaver itself reads the file from $HOME.
    if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        home = pw->pw_dir;
    }
    if (home.empty()) return {};
    std::filesystem::path file = home / ".xscreensaver";
    // Users who keep their settings elsewhere link to them: the edit goes
    // to the file the link names, never over the link.
    std::error_code ec;
    for (int hops = 0; hops < 32 && std::filesystem::is_symlink(file, ec); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(file, ec);
        if (ec) break;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file;
}

namespace {

bool writeText(const std::filesystem::path& file, const std::string& text) {
    struct stat before {};
    const bool existed = ::stat(file.c_str(), &before) == 0;
    if (!replaceFileAtomically(file,
                               [&](int fd) { return writeAll(fd, text.data(), text.size()); })) {
        return false;
    }
    // A file the user made private stays private.
    if (existed) ::chmod(file.c_str(), before.st_mode & 07777);
    return true;
}

std::optional<std::string> readText(const std::filesystem::path& file) {
    auto bytes = readWholeFile(file, kMaxFileBytes);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

}  // namespace

ListChange setOurProgramListed(const std::filesystem::path& file, bool listed) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (ec) return ListChange::ReadFailed;
        if (!listed) return ListChange::NotListed;
        return writeText(file, minimalXScreenSaverFile()) ? ListChange::Added
                                                          : ListChange::WriteFailed;
    }
    const auto text = readText(file);
    if (!text) return ListChange::ReadFailed;
    if (listed) {
        const ProgramsEdit edit = withOurProgram(*text);
        if (!edit.changed) return ListChange::AlreadyListed;
        return writeText(file, edit.text) ? ListChange::Added : ListChange::WriteFailed;
    }
    if (*text == minimalXScreenSaverFile()) {
        return std::filesystem::remove(file, ec) ? ListChange::RemovedFile
                                                 : ListChange::WriteFailed;
    }
    const ProgramsEdit edit = withoutOurProgram(*text);
    if (!edit.changed) return ListChange::NotListed;
    return writeText(file, edit.text) ? ListChange::Removed : ListChange::WriteFailed;
}

std::optional<bool> ourProgramListedIn(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (ec) return std::nullopt;
        return false;
    }
    const auto text = readText(file);
    if (!text) return std::nullopt;
    return listsOurProgram(*text);
}

bool xscreenSaverInstalled() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::string_view dirs(path);
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string dir(dirs.substr(0, colon));
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
        if (dir.empty()) continue;
        const std::string candidate = dir + "/xscreensaver";
        if (::access(candidate.c_str(), X_OK) == 0) return true;
    }
    return false;
}

int runXScreenSaverCommand(const std::vector<std::string>& args) {
    if (args.size() != 2 || (args[1] != "on" && args[1] != "off")) {
        std::fputs(loadMessage(MessageId::XssUsage).c_str(), stderr);
        return 2;
    }
    const std::filesystem::path file = xscreenSaverFilePath();
    if (file.empty()) {
        std::fprintf(stderr, "hillglimmer: %s\n", loadMessage(MessageId::XssCannotRead).c_str());
        return 1;
    }
    const ListChange change = setOurProgramListed(file, args[1] == "on");
    MessageId id = MessageId::XssAdded;
    bool failed = false;
    switch (change) {
        case ListChange::Added:
            id = MessageId::XssAdded;
            break;
        case ListChange::AlreadyListed:
            id = MessageId::XssAlreadyListed;
            break;
        case ListChange::Removed:
            id = MessageId::XssRemoved;
            break;
        case ListChange::RemovedFile:
            id = MessageId::XssRemovedFile;
            break;
        case ListChange::NotListed:
            id = MessageId::XssNotListed;
            break;
        case ListChange::ReadFailed:
            id = MessageId::XssCannotRead, failed = true;
            break;
        case ListChange::WriteFailed:
            id = MessageId::XssCannotWrite, failed = true;
            break;
    }
    const std::string line = loadMessage(id) + " " + file.string() + "\n";
    std::fputs(failed ? ("hillglimmer: " + line).c_str() : line.c_str(), failed ? stderr : stdout);
    return failed ? 1 : 0;
}

}  // namespace hg
