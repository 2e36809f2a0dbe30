#pragma once

#include <string>

namespace hg {

enum class Language { English, Japanese };

inline constexpr int kMessageCount = 92;

// HILLGLIMMER_LANG, else the first set of LC_ALL, LC_MESSAGES, LANG;
// Japanese when it starts with "ja".
Language userLanguage();

// UTF-8 text of message id (1..92) in the given language; empty for an
// unknown id.
const char* messageText(int id, Language language);

// The text of message id in the user's language. Each call returns its own
// string: no caller can overwrite another's text.
std::string loadMessage(int id);

// The text shown for a failure that carries no message of its own.
std::string unknownErrorText();

}  // namespace hg
