// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dem/iso8211/iso8211_reader.h"
#include "support/test_support.h"

namespace hgtest {

// A small writer of the encoding, enough to build modules for the tests
// (the SDTS tests use it too). Directory entries have a 4-character tag and
// 5-digit lengths and positions.
struct Iso8211Field {
    std::string tag;
    std::string body;  // without the field terminator
};

namespace {

const char UT = '\x1f';
const char FT = '\x1e';

std::string digits(std::size_t v, std::size_t width) {
    std::string s = std::to_string(v);
    return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

std::string record(const std::vector<Iso8211Field>& fields, char level, char identifier,
                   bool descriptive) {
    std::string dir, area;
    for (const Iso8211Field& f : fields) {
        const std::string body = f.body + FT;
        dir += f.tag + digits(body.size(), 5) + digits(area.size(), 5);
        area += body;
    }
    dir += FT;
    const std::size_t base = 24 + dir.size();
    std::string leader = digits(base + area.size(), 5);
    leader += descriptive ? level : ' ';
    leader += identifier;
    leader += descriptive ? " 1 06" : "     ";
    leader += digits(base, 5) + "   5504";
    return leader + dir + area;
}

}  // namespace

std::string iso8211FieldDescription(const std::string& controls, const std::string& name,
                                    const std::string& descriptor, const std::string& formats) {
    return controls + name + UT + descriptor + UT + formats;
}

std::string iso8211Descriptive(const std::vector<Iso8211Field>& fields, char level) {
    std::vector<Iso8211Field> all{{"0000", std::string("0000;&TEST") + UT}};
    all.insert(all.end(), fields.begin(), fields.end());
    return record(all, level, 'L', true);
}

std::string iso8211Data(const std::vector<Iso8211Field>& fields, char identifier) {
    return record(fields, '2', identifier, false);
}

}  // namespace hgtest

namespace {

using hgtest::iso8211Data;
using hgtest::iso8211Descriptive;
using hgtest::Iso8211Field;
using hgtest::iso8211FieldDescription;

const std::string UT(1, '\x1f');

struct Read {
    std::string tag;
    std::string value;
    int status;
    std::string label;
    std::string format;
};

// Opens the module and reads its descriptive record; a failure of the
// latter is kept in out as an entry with an empty tag.
bool openAtFirst(const std::filesystem::path& path, hg::Iso8211Reader& reader,
                 std::vector<Read>& out) {
    hg::Iso8211Leader leader;
    if (!reader.openModule(path, "r", leader)) return false;
    std::string ddr;
    int status = -1;
    if (!reader.readDescriptiveRecord(ddr, status)) {
        out.push_back({"", "", status, "", ""});
        return false;
    }
    return true;
}

// Reads a module to its end: every subfield with its check, up to the one
// with status 4, or up to a failure, kept as a last entry with an empty tag.
std::vector<Read> readAll(const std::filesystem::path& path) {
    std::vector<Read> out;
    hg::Iso8211Reader reader;
    if (!openAtFirst(path, reader, out)) return out;
    hg::Iso8211Subfield s;
    hg::Iso8211SubfieldInfo info;
    for (int guard = 0; guard < 1000000; ++guard) {
        if (!reader.readSubfield(s)) {
            out.push_back({"", "", s.status, "", ""});
            return out;
        }
        EXPECT_EQ(s.length, s.value.size());
        if (!reader.checkSubfield(s.tag, info)) info = {"?", "?"};
        out.push_back({s.tag, s.value, s.status, info.label, info.format});
        if (s.status == hg::kIsoEndOfFile) return out;
    }
    ADD_FAILURE() << "no end of file";
    return out;
}

std::vector<int> statuses(const std::vector<Read>& reads) {
    std::vector<int> v;
    for (const Read& r : reads) v.push_back(r.status);
    return v;
}

Iso8211Field describe(const std::string& tag, const std::string& controls,
                      const std::string& descriptor, const std::string& formats) {
    return {tag, iso8211FieldDescription(controls, tag, descriptor, formats)};
}

std::string twoFieldModule() {
    return iso8211Descriptive({describe("AAAA", "1600;&", "P!Q", "(2A)"),
                               describe("BBBB", "1600;&", "R!S", "(I(2),I(3))")},
                              '2') +
           iso8211Data({{"AAAA", "p1" + UT + "q1" + UT}, {"BBBB", "12345"}}, 'D') +
           iso8211Data({{"AAAA", "p2" + UT + "q2" + UT}, {"BBBB", "67890"}}, 'D');
}

TEST(Iso8211, OpenReportsTheLeaderAndRefusesOtherLevelsAndModes) {
    hgtest::TempDir dir;
    const std::string module = iso8211Descriptive({describe("AAAA", "1600;&", "A", "(A)")}, '3') +
                               iso8211Data({{"AAAA", "x"}}, 'D');
    hgtest::writeFile(dir / "ok.ddf", module);
    std::string level4 = module;
    level4[5] = '4';
    hgtest::writeFile(dir / "level4.ddf", level4);
    hgtest::writeFile(dir / "short.ddf", module.substr(0, 12));

    hg::Iso8211Reader reader;
    hg::Iso8211Leader leader;
    ASSERT_TRUE(reader.openModule(dir / "ok.ddf", "R", leader));
    EXPECT_EQ(leader.interchangeLevel, 3);
    EXPECT_EQ(leader.inlineCodeExtension, ' ');
    EXPECT_EQ(leader.extendedCharacterSet, "   ");
    EXPECT_FALSE(reader.openModule(dir / "ok.ddf", "w", leader));
    EXPECT_FALSE(reader.openModule(dir / "level4.ddf", "r", leader));
    EXPECT_FALSE(reader.openModule(dir / "missing.ddf", "r", leader));
    EXPECT_FALSE(reader.openModule(dir / "short.ddf", "r", leader));
    EXPECT_FALSE(reader.isOpen());
}

TEST(Iso8211, StatusesMarkRecordAndFieldBoundaries) {
    hgtest::TempDir dir;
    hgtest::writeFile(dir / "one.ddf",
                      iso8211Descriptive({describe("ONE ", "1600;&", "A!B!C", "(3A)")}, '2') +
                          iso8211Data({{"ONE ", "a" + UT + "b" + UT + "c" + UT}}, 'D'));
    EXPECT_EQ(statuses(readAll(dir / "one.ddf")), (std::vector<int>{2, 1, 4}));

    hgtest::writeFile(dir / "two.ddf", twoFieldModule());
    auto reads = readAll(dir / "two.ddf");
    EXPECT_EQ(statuses(reads), (std::vector<int>{2, 5, 6, 3, 2, 5, 6, 4}));
    ASSERT_GE(reads.size(), 4u);
    EXPECT_EQ(reads[1].value, "q1");
    EXPECT_EQ(reads[3].tag, "BBBB");
    EXPECT_EQ(reads[3].value, "345");
    EXPECT_EQ(reads[3].label, "S");
    EXPECT_EQ(reads[3].format, "I(3)");

    // A record identifier field alone is first of its record and last of
    // its field: it keeps 2.
    hgtest::writeFile(
        dir / "single.ddf",
        iso8211Descriptive(
            {describe("0001", "0100;&", "", ""), describe("ONE ", "1600;&", "A", "(A)")}, '2') +
            iso8211Data({{"0001", "1"}, {"ONE ", "a"}}, 'D'));
    reads = readAll(dir / "single.ddf");
    EXPECT_EQ(statuses(reads), (std::vector<int>{2, 4}));
    EXPECT_EQ(reads[0].format, "I");
}

TEST(Iso8211, CallsOutOfOrderOrAfterTheEndFail) {
    hgtest::TempDir dir;
    hgtest::writeFile(dir / "two.ddf", twoFieldModule());
    hg::Iso8211Reader reader;
    hg::Iso8211Leader leader;
    hg::Iso8211Subfield s;
    hg::Iso8211SubfieldInfo info;
    ASSERT_TRUE(reader.openModule(dir / "two.ddf", "r", leader));
    EXPECT_FALSE(reader.readSubfield(s));  // before the descriptive record
    EXPECT_EQ(s.status, hg::kIsoFailure);
    std::string ddr;
    int status = -1;
    ASSERT_TRUE(reader.readDescriptiveRecord(ddr, status));
    EXPECT_EQ(status, hg::kIsoEndOfRecord);
    EXPECT_EQ(ddr, twoFieldModule().substr(0, ddr.size()));
    do {
        ASSERT_TRUE(reader.readSubfield(s));
    } while (s.status != hg::kIsoEndOfFile);
    EXPECT_TRUE(reader.checkSubfield("BBBB", info));
    EXPECT_FALSE(reader.checkSubfield("AAAA", info));
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(reader.readSubfield(s));
        EXPECT_EQ(s.status, hg::kIsoEndOfFile);
    }
}

TEST(Iso8211, FormatsAndLabels) {
    hgtest::TempDir dir;
    const std::string cells = {'\x01', '\x2C', '\xFF', '\x9C', '\x1E', '\x1F'};
    hgtest::writeFile(dir / "l.ddf",
                      iso8211Descriptive({describe("CVLS", "2500;&", "*ELEVATION", "(B(16))"),
                                          describe("DMSA", "1600;&", "*X!Y", "(2R)"),
                                          describe("SADR", "1600;&", "X!Y", "(2R)"),
                                          describe("GRID", "2100;&", "A!B*C!D", "(I(1))"),
                                          describe("DIMS", "2100;&", "", "(I(1))")},
                                         '3') +
                          iso8211Data({{"CVLS", cells},
                                       {"DMSA", "1" + UT + "2" + UT + "3" + UT + "4" + UT},
                                       {"SADR", "5" + UT + "6" + UT + "7" + UT + "8" + UT},
                                       {"GRID", "1234"},
                                       {"DIMS", "2" + UT + "2" + UT + "3" + UT + "123456"}},
                                      'D'));
    auto reads = readAll(dir / "l.ddf");
    ASSERT_EQ(reads.size(), 24u);
    // Binary subfields come back as stored; terminator bytes inside them are
    // data.
    EXPECT_EQ(reads[0].value, std::string("\x01\x2C", 2));
    EXPECT_EQ(reads[1].value, std::string("\xFF\x9C", 2));
    EXPECT_EQ(reads[2].value, std::string("\x1E\x1F", 2));
    EXPECT_EQ(reads[0].format, "B(16)");
    EXPECT_EQ(reads[3].format, "R");
    std::vector<std::string> labels;
    for (const Read& r : reads) labels.push_back(r.label);
    // A repeating vector, a plain vector whose data repeat, a two-level
    // table, and an array whose dimensions are in the data.
    const std::vector<std::string> want = {"!ELEVATION",
                                           "!ELEVATION",
                                           "!ELEVATION",
                                           "!X",
                                           "!Y",
                                           "!X",
                                           "!Y",
                                           "X",
                                           "Y",
                                           "X",
                                           "Y",
                                           "A!C",
                                           "A!D",
                                           "B!C",
                                           "B!D",
                                           "NUMBER OF DIMENSIONS",
                                           "DIMENSION LENGTH",
                                           "DIMENSION LENGTH",
                                           "",
                                           "",
                                           "",
                                           "",
                                           "",
                                           ""};
    EXPECT_EQ(labels, want);
    EXPECT_EQ(reads[18].value, "1");
    EXPECT_EQ(reads[23].value, "6");
    EXPECT_EQ(reads[23].status, hg::kIsoEndOfFile);
}

TEST(Iso8211, RepeatedLeaderCarriesLaterRecordsWithoutDirectory) {
    hgtest::TempDir dir;
    // After the last record: line ends and blanks, as some writers leave.
    hgtest::writeFile(dir / "r.ddf",
                      iso8211Descriptive({describe("0001", "0100;&", "", ""),
                                          describe("VALS", "1600;&", "P!Q", "(2A(1))")},
                                         '2') +
                          iso8211Data({{"0001", "1"}, {"VALS", "ab"}}, 'R') +
                          "2\x1e"
                          "cd\x1e"
                          "3\x1e"
                          "ef\x1e"
                          "\r\n  ");
    auto reads = readAll(dir / "r.ddf");
    EXPECT_EQ(statuses(reads), (std::vector<int>{2, 6, 3, 2, 6, 3, 2, 6, 4}));
    ASSERT_EQ(reads.size(), 9u);
    EXPECT_EQ(reads[8].value, "f");
}

TEST(Iso8211, MalformedModulesFailWithoutReadingPastTheRecord) {
    hgtest::TempDir dir;
    const std::string good = twoFieldModule();
    auto lastStatus = [&](const std::string& bytes) {
        hgtest::writeFile(dir / "bad.ddf", bytes);
        auto reads = readAll(dir / "bad.ddf");
        return reads.empty() ? -1 : reads.back().status;
    };
    // Every truncation stops with a failure or at the end of the file.
    for (std::size_t n = 20; n < good.size(); ++n) {
        int last = lastStatus(good.substr(0, n));
        EXPECT_TRUE(last == hg::kIsoFailure || last == hg::kIsoEndOfFile) << n;
    }
    const std::size_t dr = static_cast<std::size_t>(std::stoi(good.substr(0, 5)));
    // A directory entry pointing outside its record.
    std::string outside = good;
    outside.replace(good.find("BBBB", dr) + 4, 5, "00099");
    EXPECT_EQ(lastStatus(outside), hg::kIsoFailure);
    // A record longer than what is left of the file.
    std::string longer = good;
    longer.replace(dr, 5, "99999");
    EXPECT_EQ(lastStatus(longer), hg::kIsoEndOfFile);
    // A fixed-width subfield longer than its field.
    EXPECT_EQ(lastStatus(iso8211Descriptive({describe("WIDE", "1600;&", "A", "(A(9))")}, '2') +
                         iso8211Data({{"WIDE", "abc"}}, 'D')),
              hg::kIsoFailure);
    // Format controls that cannot be parsed fail the descriptive record.
    const std::string deep = std::string(20, '(') + "A" + std::string(20, ')');
    for (const std::string& formats : {std::string("(A,"), std::string("(B(12))"),
                                       std::string("(0A)"), std::string("(A(1)(2))"), deep}) {
        EXPECT_EQ(lastStatus(iso8211Descriptive({describe("FMTS", "1600;&", "A", formats)}, '2') +
                             iso8211Data({{"FMTS", "x"}}, 'D')),
                  hg::kIsoFailure)
            << formats;
    }
}

// The same module read through runs wherever the reader offers one, and
// through views otherwise; run elements carry no status of their own.
std::vector<Read> readAllByRuns(const std::filesystem::path& path, std::size_t& runs) {
    std::vector<Read> out;
    hg::Iso8211Reader reader;
    if (!openAtFirst(path, reader, out)) return out;
    hg::Iso8211Run run;
    hg::Iso8211SubfieldView s;
    hg::Iso8211SubfieldInfo info;
    for (int guard = 0; guard < 1000000; ++guard) {
        if (reader.readRun(run)) {
            ++runs;
            EXPECT_GT(run.count(), 0u);
            EXPECT_EQ(run.bytes.size() % run.width, 0u);
            for (std::size_t i = 0; i < run.count(); ++i) {
                out.push_back({std::string(run.tag),
                               std::string(run.bytes.substr(i * run.width, run.width)), -1, "",
                               std::string(run.format)});
            }
            // The check answers for the run's last element.
            if (reader.checkSubfield(run.tag, info)) out.back().label = info.label;
            continue;
        }
        if (!reader.readSubfieldView(s)) {
            out.push_back({"", "", s.status, "", ""});
            return out;
        }
        if (!reader.checkSubfield(s.tag, info)) info = {"?", "?"};
        EXPECT_EQ(info.format, s.format);
        out.push_back(
            {std::string(s.tag), std::string(s.value), s.status, info.label, info.format});
        if (s.status == hg::kIsoEndOfFile) return out;
    }
    ADD_FAILURE() << "no end of file";
    return out;
}

void expectSameReads(const std::filesystem::path& path, const std::string& what) {
    std::size_t runs = 0;
    const std::vector<Read> one = readAll(path);
    const std::vector<Read> fast = readAllByRuns(path, runs);
    ASSERT_EQ(one.size(), fast.size()) << what;
    for (std::size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].tag, fast[i].tag) << what << " #" << i;
        EXPECT_EQ(one[i].value, fast[i].value) << what << " #" << i;
        EXPECT_EQ(one[i].format, fast[i].format) << what << " #" << i;
        if (fast[i].status != -1) {
            EXPECT_EQ(one[i].status, fast[i].status) << what << " #" << i;
        }
        if (!fast[i].label.empty()) {
            EXPECT_EQ(one[i].label, fast[i].label) << what << " #" << i;
        }
    }
}

TEST(Iso8211, RunsAndViewsReadWhatSubfieldsRead) {
    hgtest::TempDir dir;
    const std::string be = std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    const std::string head = iso8211Descriptive(
        {describe("0001", "0100;&", "", ""), describe("CVLS", "2500;&", "*ELEVATION", "(B(16))"),
         describe("FIX3", "2500;&", "3", "(3B(16))"),
         describe("MIXD", "1600;&", "P!Q", "(A(2),B(16))"),
         describe("TEXT", "1600;&", "*V", "(A)")},
        '2');
    struct Case {
        const char* what;
        std::string body;
    } cases[] = {
        {"rows over repeated leaders",
         head + iso8211Data({{"0001", "1"}, {"CVLS", be}, {"TEXT", "a" + UT + "b" + UT}}, 'R') +
             "2\x1e" + be.substr(2) + "\x1e" + "c" + UT + "\x1e" + "3\x1e" + be.substr(0, 2) +
             "\x1e" + "d" + UT + "\x1e"},
        {"one value a row, padding after", head + iso8211Data({{"CVLS", be.substr(0, 2)}}, 'D') +
                                               iso8211Data({{"CVLS", be.substr(0, 4)}}, 'D') +
                                               "\r\n  "},
        {"odd byte left over", head + iso8211Data({{"CVLS", be.substr(0, 7)}}, 'D')},
        {"fixed array short of values", head + iso8211Data({{"FIX3", be.substr(0, 4)}}, 'D')},
        {"fixed array whole, then more",
         head + iso8211Data({{"FIX3", be.substr(0, 6)}, {"CVLS", be}}, 'D') +
             iso8211Data({{"FIX3", be}}, 'D')},
        {"mixed formats", head + iso8211Data({{"MIXD", be + be.substr(0, 4)}, {"CVLS", be}}, 'D')},
    };
    for (const Case& c : cases) {
        const std::string& bytes = c.body;
        hgtest::writeFile(dir / "m.ddf", bytes);
        expectSameReads(dir / "m.ddf", c.what);
        // Cut anywhere after the descriptive record, the two still agree.
        for (std::size_t n = head.size() + 1; n < bytes.size(); ++n) {
            hgtest::writeFile(dir / "m.ddf", bytes.substr(0, n));
            expectSameReads(dir / "m.ddf", std::string(c.what) + " cut at " + std::to_string(n));
        }
    }
    // The rows of a cell module do come as runs.
    hgtest::writeFile(dir / "m.ddf", cases[0].body);
    std::size_t runs = 0;
    readAllByRuns(dir / "m.ddf", runs);
    EXPECT_EQ(runs, 2u);
}

}  // namespace
