#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace hg {

// The settings store: sections of keys with text values, read with a
// default written at the call site.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // Leading blanks, optional sign, decimal digits; def when the key is
    // missing.
    virtual int getInt(const std::string& section, const std::string& key, int def) const = 0;
    // The value truncated to bufferSize - 1 characters; def when missing.
    virtual std::string getString(const std::string& section, const std::string& key,
                                  const std::string& def, std::size_t bufferSize) const = 0;
    // False when the change could not be stored; the old file is then intact.
    virtual bool putString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
    // Several keys of one section changed together: all or none.
    using Entry = std::pair<std::string, std::string>;
    virtual bool putStrings(const std::string& section, const std::vector<Entry>& entries) = 0;
    virtual bool flush() = 0;
};

// An ini file with the private-profile rules: sections and keys compared
// without case, other sections, keys, comments and order kept across a
// write. Every read looks at the file as it is now and every write replaces
// it atomically, so two stores on one file never undo each other's changes.
class IniProfileStore final : public ProfileStore {
public:
    explicit IniProfileStore(std::filesystem::path path) : path_(std::move(path)) {}

    int getInt(const std::string& section, const std::string& key, int def) const override;
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def, std::size_t bufferSize) const override;
    bool putString(const std::string& section, const std::string& key,
                   const std::string& value) override;
    bool putStrings(const std::string& section, const std::vector<Entry>& entries) override;
    bool flush() override;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The store of the user's settings file in the home directory.
IniProfileStore userSettings();

}  // namespace hg
