// SPDX-License-Identifier: MIT
#include "platform/messages.h"

#include <cstdlib>
#include <string_view>

namespace hg {

// Defined in resources/messages_*.cpp; index 0 is unused.
extern const char* const kEnglishMessages[kMessageCount + 1];
extern const char* const kJapaneseMessages[kMessageCount + 1];

Language userLanguage() {
    const char* chosen = std::getenv("HILLGLIMMER_LANG");
    if (chosen == nullptr || *chosen == '\0') {
        chosen = nullptr;
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* v = std::getenv(name);
            if (v != nullptr && *v != '\0') {
                chosen = v;
                break;
            }
        }
    }
    if (chosen != nullptr && std::string_view(chosen).starts_with("ja")) return Language::Japanese;
    return Language::English;
}

const char* messageText(MessageId message, Language language) {
    const int id = static_cast<int>(message);
    if (id < 1 || id > kMessageCount) return "";
    const char* text =
        language == Language::Japanese ? kJapaneseMessages[id] : kEnglishMessages[id];
    return text != nullptr ? text : kEnglishMessages[id];
}

std::string loadMessage(MessageId id) {
    return messageText(id, userLanguage());
}

std::string fillArguments(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' &&
            text[i + 2] == '}') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string formatMessage(MessageId id, std::initializer_list<std::string_view> args) {
    return fillArguments(loadMessage(id), args);
}

std::string unknownErrorText() {
    return "Unknown error.";
}

std::string outOfMemoryText() {
    return loadMessage(MessageId::NotEnoughMemory);
}

}  // namespace hg
