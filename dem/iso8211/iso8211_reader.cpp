// SPDX-License-Identifier: MIT
#include "dem/iso8211/iso8211_reader.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/file.h"

namespace hg {

namespace {

constexpr char kUnitTerminator = 0x1f;
constexpr char kFieldTerminator = 0x1e;
constexpr std::size_t kLeaderSize = 24;
// Limits far beyond any real module; they keep a hostile description from
// expanding into millions of entries.
constexpr std::size_t kMaxFormatEntries = 65536;
constexpr std::size_t kMaxLabels = 4096;
constexpr std::size_t kMaxArrayElements = std::size_t{1} << 20;
constexpr std::size_t kMaxDimensions = 16;
constexpr int kMaxFormatDepth = 16;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that some writers leave after the last record (blocking to a tape
// or disk size); they end the file rather than start a record.
bool isPadding(char c) {
    return c == ' ' || c == '\0' || c == '\r' || c == '\n' || c == '\x1a';
}

bool parseDigits(std::string_view s, std::size_t& value) {
    if (s.empty() || s.size() > 9) return false;
    std::size_t v = 0;
    for (char c : s) {
        if (!isDigit(c)) return false;
        v = v * 10 + static_cast<std::size_t>(c - '0');
    }
    value = v;
    return true;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A file read through a buffer, aware of how much of it is left.
class ByteSource {
public:
    bool open(const std::filesystem::path& path) {
        close();
        if (!file_.open(path)) return false;
        auto size = file_.size();
        if (!size) {
            file_.close();
            return false;
        }
        size_ = *size;
        return fill();
    }

    void close() {
        file_.close();
        head_ = tail_ = 0;
        size_ = offset_ = 0;
        hitEnd_ = false;
    }

    // The first bytes of the file, before anything has been consumed.
    std::string_view start(std::size_t n) const {
        if (offset_ != 0 || tail_ < n) return {};
        return std::string_view(buffer_.data(), n);
    }

    // Exactly n bytes, or false. hitEnd() tells whether the file ran out.
    bool read(char* dst, std::size_t n) {
        if (n > size_ - offset_) {
            hitEnd_ = true;
            return false;
        }
        while (n > 0) {
            if (head_ == tail_ && !fill()) return false;
            if (head_ == tail_) {
                hitEnd_ = true;
                return false;
            }
            std::size_t take = std::min(n, tail_ - head_);
            std::copy(buffer_.data() + head_, buffer_.data() + head_ + take, dst);
            head_ += take;
            dst += take;
            n -= take;
            offset_ += take;
        }
        return true;
    }

    std::uint64_t remaining() const { return size_ - offset_; }
    bool hitEnd() const { return hitEnd_; }

    // True when nothing but padding is left. Looks ahead without consuming.
    bool onlyPaddingLeft() {
        if (remaining() == 0) return true;
        for (std::size_t i = head_; i < tail_; ++i) {
            if (!isPadding(buffer_[i])) return false;
        }
        const std::uint64_t resume = offset_ + (tail_ - head_);
        std::vector<char> scratch(4096);
        bool padding = true;
        for (;;) {
            auto got = file_.read(scratch.data(), scratch.size());
            if (!got) {
                padding = false;
                break;
            }
            if (*got == 0) break;
            for (std::size_t i = 0; i < *got; ++i) {
                if (!isPadding(scratch[i])) {
                    padding = false;
                    break;
                }
            }
            if (!padding) break;
        }
        if (!file_.seek(resume)) return false;
        return padding;
    }

private:
    bool fill() {
        head_ = tail_ = 0;
        auto got = file_.read(buffer_.data(), buffer_.size());
        if (!got) return false;
        tail_ = *got;
        return true;
    }

    InputFile file_;
    std::vector<char> buffer_ = std::vector<char>(32768);
    std::size_t head_ = 0, tail_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    bool hitEnd_ = false;
};

struct FormatEntry {
    std::string text;
    // Bytes of a fixed-width subfield; 0 when the subfield ends at a
    // terminator.
    std::size_t width = 0;
    // A delimiter of the subfield's own, as in A(,); 0 for none.
    char delimiter = 0;
};

bool parseFormatUnit(std::string_view s, FormatEntry& e) {
    if (s.empty()) return false;
    const char type = s[0];
    e = FormatEntry{};
    e.text = std::string(s);
    if (type == 'b') {
        // The binary form of the later edition: a kind digit, then the
        // width in bytes.
        if (s.size() != 3 || !isDigit(s[1]) || !isDigit(s[2]) || s[2] == '0') return false;
        e.width = static_cast<std::size_t>(s[2] - '0');
        return true;
    }
    if (type < 'A' || type > 'Z') return false;
    std::string_view rest = s.substr(1);
    if (rest.empty()) return true;
    const bool bracketed = rest.front() == '(';
    std::string_view content = rest;
    if (bracketed) {
        if (rest.size() < 3 || rest.back() != ')') return false;
        content = rest.substr(1, rest.size() - 2);
    }
    std::size_t n = 0;
    if (parseDigits(content, n)) {
        if (n > 999999) return false;
        if (type == 'B') {
            // Binary widths are in bits; only whole bytes can be handed out.
            if (n == 0 || n % 8 != 0) return false;
            e.width = n / 8;
        } else {
            e.width = n;
        }
        return true;
    }
    if (bracketed && content.size() == 1) {
        e.delimiter = content[0];
        return true;
    }
    return false;
}

// Splits at the commas outside parentheses.
bool splitFormatItems(std::string_view s, std::vector<std::string_view>& items) {
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '(') {
            ++depth;
        } else if (s[i] == ')') {
            if (--depth < 0) return false;
        } else if (s[i] == ',' && depth == 0) {
            items.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    if (depth != 0) return false;
    items.push_back(s.substr(start));
    return true;
}

// True when the parenthesis opening s closes at its last character.
bool wholeGroup(std::string_view s) {
    if (s.size() < 2 || s.front() != '(' || s.back() != ')') return false;
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '(') ++depth;
        if (s[i] == ')' && --depth == 0) return i + 1 == s.size();
    }
    return false;
}

bool parseFormatItems(std::string_view text, int depth, std::vector<FormatEntry>& out,
                      std::size_t* lastGroupStart) {
    if (depth > kMaxFormatDepth) return false;
    std::vector<std::string_view> items;
    if (!splitFormatItems(text, items)) return false;
    for (std::size_t k = 0; k < items.size(); ++k) {
        std::string_view item = trimBlanks(items[k]);
        std::size_t digits = 0;
        while (digits < item.size() && isDigit(item[digits])) ++digits;
        std::size_t count = 1;
        if (digits > 0 && (!parseDigits(item.substr(0, digits), count) || count == 0 ||
                           count > kMaxFormatEntries)) {
            return false;
        }
        std::string_view body = item.substr(digits);
        std::vector<FormatEntry> group;
        if (!body.empty() && body.front() == '(') {
            if (!wholeGroup(body)) return false;
            if (!parseFormatItems(body.substr(1, body.size() - 2), depth + 1, group, nullptr)) {
                return false;
            }
        } else {
            FormatEntry e;
            if (!parseFormatUnit(body, e)) return false;
            group.push_back(std::move(e));
        }
        if (group.empty() || count > (kMaxFormatEntries - out.size()) / group.size()) return false;
        for (std::size_t c = 0; c < count; ++c) out.insert(out.end(), group.begin(), group.end());
        // The last parenthesised group repeats while field data remain.
        if (lastGroupStart && k + 1 == items.size() && body.front() == '(') {
            *lastGroupStart = out.size() - group.size();
        }
    }
    return true;
}

bool parseFormatControls(std::string_view text, std::vector<FormatEntry>& out,
                         std::size_t& repeatStart) {
    out.clear();
    repeatStart = 0;
    std::string_view t = trimBlanks(text);
    if (wholeGroup(t)) t = trimBlanks(t.substr(1, t.size() - 2));
    if (t.empty()) return true;
    std::size_t lastGroup = std::string_view::npos;
    if (!parseFormatItems(t, 0, out, &lastGroup)) return false;
    if (lastGroup != std::string_view::npos) repeatStart = lastGroup;
    return true;
}

enum class FieldKind { Elementary, Labelled, FixedArray, DimensionsInData };

struct FieldDef {
    FieldKind kind = FieldKind::Elementary;
    std::vector<std::vector<std::string>> levels;
    // Labelled: product of the level sizes; FixedArray: element count.
    std::size_t count = 1;
    bool repeating = false;
    // Never empty: a field described without formats gets one entry from
    // its data type.
    std::vector<FormatEntry> formats;
    std::size_t repeatStart = 0;
    // The width every subfield has when all the formats are one and the
    // same fixed-width one; 0 otherwise.
    std::size_t uniformWidth = 0;

    void findUniformWidth() {
        uniformWidth = 0;
        if (formats.empty() || formats.front().width == 0) return;
        for (const FormatEntry& e : formats) {
            if (e.text != formats.front().text) return;
        }
        uniformWidth = formats.front().width;
    }

    const FormatEntry& formatAt(std::size_t e) const {
        if (e < formats.size()) return formats[e];
        std::size_t cycle = formats.size() - repeatStart;
        return formats[repeatStart + (e - formats.size()) % cycle];
    }

    std::string labelAt(std::size_t e) const {
        if (kind != FieldKind::Labelled) return std::string();
        std::size_t idx = e % count;
        std::vector<std::size_t> pick(levels.size());
        for (std::size_t k = levels.size(); k-- > 0;) {
            pick[k] = idx % levels[k].size();
            idx /= levels[k].size();
        }
        std::string label;
        for (std::size_t k = 0; k < levels.size(); ++k) {
            if (k > 0) label += '!';
            label += levels[k][pick[k]];
        }
        return label;
    }
};

const char* typeLetterFor(char dataType) {
    switch (dataType) {
        case '1':
            return "I";
        case '2':
            return "R";
        case '3':
            return "S";
        case '4':
            return "C";
        case '5':
            return "B";
        default:
            return "A";
    }
}

std::vector<std::string> splitOn(std::string_view s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.emplace_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool parseFieldDef(std::string_view body, std::size_t controlLength, FieldDef& def) {
    if (body.size() < controlLength) return false;
    std::string_view controls = body.substr(0, controlLength);
    std::string_view rest = body.substr(controlLength);
    std::string_view parts[3];
    for (auto& part : parts) {
        std::size_t ut = rest.find(kUnitTerminator);
        part = rest.substr(0, ut);
        rest = ut == std::string_view::npos ? std::string_view() : rest.substr(ut + 1);
    }
    // parts[0] is the field's name, which the reader does not need.
    std::string_view descriptor = parts[1];
    std::string_view formats = parts[2];
    const char structure = controls.size() >= 1 ? controls[0] : (descriptor.empty() ? '0' : '1');
    const char dataType = controls.size() >= 2 ? controls[1] : '0';

    if (!parseFormatControls(formats, def.formats, def.repeatStart)) return false;
    if (def.formats.empty()) {
        def.formats.push_back(FormatEntry{typeLetterFor(dataType), 0, 0});
        def.repeatStart = 0;
    }

    if (structure == '0') {
        def.kind = FieldKind::Elementary;
        return true;
    }
    if (descriptor.empty() && structure == '2') {
        def.kind = FieldKind::DimensionsInData;
        return true;
    }
    bool numeric = !descriptor.empty();
    for (char c : descriptor) numeric = numeric && (isDigit(c) || c == ',');
    if (numeric) {
        def.kind = FieldKind::FixedArray;
        std::size_t product = 1;
        for (const std::string& d : splitOn(descriptor, ',')) {
            std::size_t n = 0;
            if (!parseDigits(d, n)) return false;
            if (n != 0 && product > kMaxArrayElements / n) return false;
            product *= n;
        }
        def.count = product > 0 ? product : 1;
        return true;
    }
    def.kind = FieldKind::Labelled;
    def.repeating = !descriptor.empty() && descriptor.front() == '*';
    def.count = 1;
    for (const std::string& level : splitOn(descriptor, '*')) {
        def.levels.push_back(splitOn(level, '!'));
        def.count *= def.levels.back().size();
        if (def.count > kMaxLabels) return false;
    }
    return true;
}

struct FieldDef;

// One record's leader and directory: where each field lies in the record.
struct DirEntry {
    std::string tag;
    std::size_t begin = 0;  // offset of the field in the field area
    std::size_t length = 0;
    const FieldDef* def = nullptr;  // looked up once per directory
};

struct RecordLayout {
    std::size_t recordLength = 0;
    std::size_t base = 0;
    char identifier = ' ';
    std::vector<DirEntry> entries;
};

bool parseLeaderNumbers(std::string_view leader, RecordLayout& layout) {
    if (leader.size() < kLeaderSize) return false;
    if (!parseDigits(leader.substr(0, 5), layout.recordLength)) return false;
    if (!parseDigits(leader.substr(12, 5), layout.base)) return false;
    layout.identifier = leader[6];
    // A record always has a field area, so every record read moves on.
    return layout.recordLength > kLeaderSize && layout.base > kLeaderSize &&
           layout.base < layout.recordLength;
}

// The directory of a whole record (leader included).
bool parseDirectory(std::string_view record, RecordLayout& layout) {
    const std::size_t sizeLength = static_cast<std::size_t>(record[20] - '0');
    const std::size_t sizePosition = static_cast<std::size_t>(record[21] - '0');
    const std::size_t sizeTag = static_cast<std::size_t>(record[23] - '0');
    if (!isDigit(record[20]) || !isDigit(record[21]) || !isDigit(record[23])) return false;
    if (sizeLength == 0 || sizePosition == 0 || sizeTag == 0) return false;
    const std::size_t entrySize = sizeLength + sizePosition + sizeTag;
    std::size_t end = layout.base;
    if (record[end - 1] == kFieldTerminator) --end;
    const std::size_t areaLength = layout.recordLength - layout.base;
    // Entries are overwritten in place so that a module of many records
    // keeps the same storage from one directory to the next.
    std::size_t n = 0;
    for (std::size_t p = kLeaderSize; p + entrySize <= end; p += entrySize, ++n) {
        if (n == layout.entries.size()) layout.entries.emplace_back();
        DirEntry& e = layout.entries[n];
        e.tag.assign(record.substr(p, sizeTag));
        e.def = nullptr;
        if (!parseDigits(record.substr(p + sizeTag, sizeLength), e.length) ||
            !parseDigits(record.substr(p + sizeTag + sizeLength, sizePosition), e.begin) ||
            e.begin > areaLength || e.length > areaLength - e.begin) {
            layout.entries.resize(n);
            return false;
        }
    }
    layout.entries.resize(n);
    return n > 0;
}

}  // namespace

struct Iso8211Reader::Impl {
    enum class State { Opened, Reading, Done, Failed, FailedAtEnd };

    struct FieldSlice {
        const FieldDef* def;
        std::string_view tag;  // the directory entry's, alive as long as the record
        std::size_t begin;
        std::size_t end;  // the field terminator, or the end of the field
    };

    ByteSource source;
    State state = State::Opened;
    std::unordered_map<std::string, FieldDef> defs;
    FieldDef unknownField;

    // The current data record: with leader identifier 'R' later records
    // carry only their field area and reuse this directory.
    bool reuseDirectory = false;
    RecordLayout layout;
    std::string record;
    std::size_t areaOffset = 0;
    std::vector<FieldSlice> fields;
    bool recordLoaded = false;

    std::size_t fieldIndex = 0;
    std::size_t subIndex = 0;
    std::size_t pos = 0;
    std::size_t required = 0;
    std::vector<std::size_t> dimensions;
    std::size_t fieldDimensionCount = 0;

    // The subfield last handed out, for check(). Its tag views the current
    // directory, which stays put until the next read call.
    bool haveLast = false;
    std::string_view lastTag;
    const FieldDef* lastDef = nullptr;
    std::size_t lastIndex = 0;
    std::size_t lastDimensionCount = 0;

    Impl() { unknownField.formats.push_back(FormatEntry{"A", 0, 0}); }

    bool fail(Iso8211SubfieldView& out) {
        state = source.hitEnd() ? State::FailedAtEnd : State::Failed;
        out.status = state == State::FailedAtEnd ? kIsoEndOfFile : kIsoFailure;
        out.value = {};
        haveLast = false;
        return false;
    }

    bool readDescriptive(std::string& text) {
        char leader[kLeaderSize];
        if (!source.read(leader, kLeaderSize)) return false;
        RecordLayout ddr;
        if (!parseLeaderNumbers(std::string_view(leader, kLeaderSize), ddr)) return false;
        text.assign(leader, kLeaderSize);
        text.resize(ddr.recordLength);
        if (!source.read(text.data() + kLeaderSize, ddr.recordLength - kLeaderSize)) return false;
        std::size_t controlLength = 0;
        std::string_view fcl(text.data() + 10, 2);
        if (fcl != "  " && !parseDigits(fcl, controlLength)) return false;
        if (!parseDirectory(text, ddr)) return false;
        for (const DirEntry& e : ddr.entries) {
            // The file control field describes the file, not a data field.
            if (e.tag.find_first_not_of('0') == std::string::npos) continue;
            std::string_view body(text.data() + ddr.base + e.begin, e.length);
            if (!body.empty() && body.back() == kFieldTerminator) body.remove_suffix(1);
            FieldDef def;
            if (!parseFieldDef(body, controlLength, def)) return false;
            def.findUniformWidth();
            defs[e.tag] = std::move(def);
        }
        return true;
    }

    bool loadRecord() {
        if (!reuseDirectory) {
            char leader[kLeaderSize];
            if (!source.read(leader, kLeaderSize)) return false;
            if (!parseLeaderNumbers(std::string_view(leader, kLeaderSize), layout)) return false;
            record.assign(leader, kLeaderSize);
            record.resize(layout.recordLength);
            if (!source.read(record.data() + kLeaderSize, layout.recordLength - kLeaderSize)) {
                return false;
            }
            if (!parseDirectory(record, layout)) return false;
            for (DirEntry& e : layout.entries) {
                auto it = defs.find(e.tag);
                e.def = it != defs.end() ? &it->second : &unknownField;
            }
            areaOffset = layout.base;
            reuseDirectory = layout.identifier == 'R';
        } else {
            record.resize(layout.recordLength - layout.base);
            if (!source.read(record.data(), record.size())) return false;
            areaOffset = 0;
        }
        fields.clear();
        for (const DirEntry& e : layout.entries) {
            FieldSlice f{e.def, e.tag, areaOffset + e.begin, areaOffset + e.begin + e.length};
            if (f.end > f.begin && record[f.end - 1] == kFieldTerminator) --f.end;
            fields.push_back(f);
        }
        recordLoaded = true;
        return startField(0);
    }

    bool startField(std::size_t k) {
        fieldIndex = k;
        subIndex = 0;
        const FieldSlice& f = fields[k];
        pos = f.begin;
        dimensions.clear();
        fieldDimensionCount = 0;
        switch (f.def->kind) {
            case FieldKind::Elementary:
            case FieldKind::DimensionsInData:
                required = 1;
                break;
            case FieldKind::Labelled:
                required = f.def->repeating ? 1 : f.def->count;
                break;
            case FieldKind::FixedArray:
                required = f.def->count;
                // Every element but the last takes at least one byte.
                if (required > f.end - f.begin + 1) return false;
                break;
        }
        return true;
    }

    // A subfield that ends at a terminator (or at the end of the field).
    std::string_view delimited(const FieldSlice& f, char delimiter) {
        std::size_t stop = pos;
        while (stop < f.end && record[stop] != kUnitTerminator &&
               record[stop] != kFieldTerminator && (delimiter == 0 || record[stop] != delimiter)) {
            ++stop;
        }
        std::string_view v(record.data() + pos, stop - pos);
        pos = stop < f.end ? stop + 1 : stop;
        return v;
    }

    bool byFormat(const FieldSlice& f, const FormatEntry& format, std::string_view& value) {
        if (format.width > 0) {
            if (f.end - pos < format.width) return false;
            value = std::string_view(record.data() + pos, format.width);
            pos += format.width;
            return true;
        }
        value = delimited(f, format.delimiter);
        return true;
    }

    bool readValue(const FieldSlice& f, std::size_t i, Iso8211SubfieldView& out) {
        const FieldDef& def = *f.def;
        switch (def.kind) {
            case FieldKind::Elementary:
                out.value = std::string_view(record.data() + pos, f.end - pos);
                out.format = def.formats.front().text;
                pos = f.end;
                return true;
            case FieldKind::Labelled:
            case FieldKind::FixedArray: {
                const FormatEntry& format = def.formatAt(i);
                out.format = format.text;
                return byFormat(f, format, out.value);
            }
            case FieldKind::DimensionsInData: {
                // The number of dimensions comes first, then one length per
                // dimension, then the elements.
                const std::size_t header = i == 0 ? 1 : 1 + fieldDimensionCount;
                if (i >= header) {
                    const FormatEntry& format = def.formatAt(i - header);
                    out.format = format.text;
                    return byFormat(f, format, out.value);
                }
                out.format = "I";
                out.value = delimited(f, 0);
                std::size_t n = 0;
                if (!parseDigits(trimBlanks(out.value), n)) return false;
                if (i == 0) {
                    if (n == 0 || n > kMaxDimensions) return false;
                    fieldDimensionCount = n;
                    required = 1 + n;
                    return true;
                }
                dimensions.push_back(n);
                if (dimensions.size() == fieldDimensionCount) {
                    std::size_t product = 1;
                    for (std::size_t d : dimensions) {
                        if (d != 0 && product > kMaxArrayElements / d) return false;
                        product *= d;
                    }
                    // Every element but the last takes at least one byte.
                    if (product > f.end - pos + 1) return false;
                    required = 1 + fieldDimensionCount + product;
                }
                return true;
            }
        }
        return false;
    }

    bool next(Iso8211SubfieldView& out) {
        if (state != State::Reading) {
            out.status =
                (state == State::Done || state == State::FailedAtEnd) ? kIsoEndOfFile : kIsoFailure;
            out.value = {};
            haveLast = false;
            return false;
        }
        if (!recordLoaded && !loadRecord()) return fail(out);
        const FieldSlice& f = fields[fieldIndex];
        const std::size_t i = subIndex;
        if (!readValue(f, i, out)) return fail(out);
        out.tag = f.tag;
        out.leaderIdentifier = layout.identifier;
        lastTag = f.tag;
        lastDef = f.def;
        lastIndex = i;
        lastDimensionCount = fieldDimensionCount;
        haveLast = true;

        ++subIndex;
        const bool lastOfField = subIndex >= required && pos >= f.end;
        const bool lastOfRecord = lastOfField && fieldIndex + 1 == fields.size();
        if (lastOfRecord) {
            recordLoaded = false;
            if (source.onlyPaddingLeft()) {
                state = State::Done;
                out.status = kIsoEndOfFile;
            } else {
                out.status = kIsoEndOfRecord;
            }
            return true;
        }
        if (fieldIndex == 0 && i == 0) {
            out.status = kIsoFirstOfRecord;
        } else if (i == 0) {
            out.status = kIsoFirstOfField;
        } else if (lastOfField) {
            out.status = kIsoEndOfField;
        } else {
            out.status = kIsoSubfield;
        }
        if (lastOfField && !startField(fieldIndex + 1)) return fail(out);
        return true;
    }

    bool next(Iso8211Subfield& out) {
        Iso8211SubfieldView view;
        const bool ok = next(view);
        out.status = view.status;
        if (!ok) {
            out.value.clear();
            out.length = 0;
            return false;
        }
        // Runs of subfields share a tag: copy it only when it changes.
        if (out.tag != view.tag) out.tag.assign(view.tag);
        out.leaderIdentifier = view.leaderIdentifier;
        out.value.assign(view.value);
        out.length = out.value.size();
        return true;
    }

    bool run(Iso8211Run& out) {
        if (state != State::Reading || !recordLoaded) return false;
        const FieldSlice& f = fields[fieldIndex];
        const FieldDef& def = *f.def;
        const std::size_t width = def.uniformWidth;
        if (width == 0 || (def.kind != FieldKind::Labelled && def.kind != FieldKind::FixedArray)) {
            return false;
        }
        const std::size_t left = f.end - pos;
        std::size_t n = left / width;
        // The subfield that ends the field also ends the record at times and
        // moves on to the next field; that one goes through next(). When
        // the field cannot end cleanly, next() reports the fault after the
        // whole elements.
        if (left % width == 0 && subIndex + n >= required && n > 0) --n;
        if (n == 0) return false;
        out.tag = f.tag;
        out.format = def.formats.front().text;
        out.width = width;
        out.bytes = std::string_view(record.data() + pos, n * width);
        pos += n * width;
        subIndex += n;
        lastTag = f.tag;
        lastDef = f.def;
        lastIndex = subIndex - 1;
        lastDimensionCount = fieldDimensionCount;
        haveLast = true;
        return true;
    }

    bool check(std::string_view tag, Iso8211SubfieldInfo& out) const {
        if (!haveLast || tag != lastTag) return false;
        const FieldDef& def = *lastDef;
        if (def.kind == FieldKind::Elementary) {
            out.label.clear();
            out.format = def.formats.front().text;
            return true;
        }
        if (def.kind == FieldKind::DimensionsInData) {
            if (lastIndex == 0) {
                out.label = "NUMBER OF DIMENSIONS";
                // assign(1, c): GCC 12 -O3 warns falsely about a string literal here.
                out.format.assign(1, 'I');
                return true;
            }
            if (lastIndex <= lastDimensionCount) {
                out.label = "DIMENSION LENGTH";
                out.format.assign(1, 'I');
                return true;
            }
            out.label.clear();
            out.format = def.formatAt(lastIndex - 1 - lastDimensionCount).text;
            return true;
        }
        out.label = def.labelAt(lastIndex);
        out.format = def.formatAt(lastIndex).text;
        return true;
    }
};

Iso8211Reader::Iso8211Reader() = default;
Iso8211Reader::~Iso8211Reader() = default;
Iso8211Reader::Iso8211Reader(Iso8211Reader&&) noexcept = default;
Iso8211Reader& Iso8211Reader::operator=(Iso8211Reader&&) noexcept = default;

bool Iso8211Reader::openModule(const std::filesystem::path& path, std::string_view mode,
                               Iso8211Leader& leader) {
    closeModule();
    // The program only reads transfers; writing is not offered.
    if (mode != "R" && mode != "r") return false;
    auto impl = std::make_unique<Impl>();
    if (!impl->source.open(path)) return false;
    std::string_view head = impl->source.start(20);
    if (head.empty()) return false;
    if (head[5] < '1' || head[5] > '3') return false;
    leader.interchangeLevel = head[5] - '0';
    leader.inlineCodeExtension = head[7];
    leader.extendedCharacterSet = std::string(head.substr(17, 3));
    impl_ = std::move(impl);
    return true;
}

bool Iso8211Reader::readDescriptiveRecord(std::string& text, int& status) {
    if (!impl_ || impl_->state != Impl::State::Opened) {
        status = kIsoFailure;
        return false;
    }
    if (!impl_->readDescriptive(text)) {
        const bool atEnd = impl_->source.hitEnd();
        impl_->state = atEnd ? Impl::State::FailedAtEnd : Impl::State::Failed;
        status = atEnd ? kIsoEndOfFile : kIsoFailure;
        return false;
    }
    if (impl_->source.onlyPaddingLeft()) {
        impl_->state = Impl::State::Done;
        status = kIsoEndOfFile;
    } else {
        impl_->state = Impl::State::Reading;
        status = kIsoEndOfRecord;
    }
    return true;
}

bool Iso8211Reader::readSubfield(Iso8211Subfield& out) {
    if (!impl_) {
        out.status = kIsoFailure;
        out.value.clear();
        out.length = 0;
        return false;
    }
    return impl_->next(out);
}

bool Iso8211Reader::readSubfieldView(Iso8211SubfieldView& out) {
    if (!impl_) {
        out.status = kIsoFailure;
        out.value = {};
        return false;
    }
    return impl_->next(out);
}

bool Iso8211Reader::readRun(Iso8211Run& out) {
    return impl_ && impl_->run(out);
}

bool Iso8211Reader::checkSubfield(std::string_view tag, Iso8211SubfieldInfo& out) const {
    return impl_ && impl_->check(tag, out);
}

void Iso8211Reader::closeModule() {
    impl_.reset();
}

bool Iso8211Reader::isOpen() const {
    return impl_ != nullptr;
}

}  // namespace hg
