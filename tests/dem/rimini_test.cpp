// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "dem/fot_rimini.h"
#include "platform/message_error.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hgtest::TempDir;
using hgtest::writeFile;

constexpr int kCols = 71, kRows = 49;

int metres(int r, int c) {
    return (r * 37 + c * 11) % 4800 - 400;
}

// 71 x 49 five-character fields, sixteen a record; the 218th record holds
// the grid's last seven values, then the model's name in its ninth field.
std::string makeRimini(const std::string& eol, const std::string& name = "ALPS1") {
    std::vector<std::string> fields;
    char buf[16];
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            std::snprintf(buf, sizeof buf, "%5d", metres(r, c));
            fields.emplace_back(buf);
        }
    }
    fields.emplace_back("    0");
    fields.push_back(name);
    while (fields.size() % 16 != 0) fields.emplace_back("     ");
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += fields[i];
        if (i % 16 == 15) out += eol;
    }
    return out;
}

// Thinned to the default 201 x 201 unless told otherwise.
struct RiminiRead : hgtest::MeshRead<hg::CFOTrimini> {
    explicit RiminiRead(const std::filesystem::path& path) : MeshRead(path) {
        settings.isPart = 0;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 201;
    }
};

std::optional<MessageId> failureOf(const std::filesystem::path& path) {
    return hgtest::messageOf([&] { RiminiRead(path).run(); });
}

void expectMetres(const std::vector<float>& h, int cols, int rows,
                  const std::function<int(int, int)>& want) {
    ASSERT_EQ(h.size(), static_cast<std::size_t>(cols * rows));
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            ASSERT_EQ(h[static_cast<std::size_t>(i * cols + j)], want(i, j))
                << "row " << i << " column " << j;
        }
    }
}

TEST(Rimini, WholeGridWithCrLfOrLf) {
    TempDir dir;
    for (const char* eol : {"\r\n", "\n"}) {
        std::string file = makeRimini(eol);
        ASSERT_EQ(file.size(), 218u * (80u + std::string(eol).size()));
        writeFile(dir / "r.dat", file);
        RiminiRead r(dir / "r.dat");
        const auto& h = r.run();
        EXPECT_EQ(r.mesh.thinStep, 1);
        EXPECT_DOUBLE_EQ(r.mesh.ewSpacing, 250.0);
        EXPECT_DOUBLE_EQ(r.mesh.nsSpacing, 250.0);
        expectMetres(h, kCols, kRows, metres);
        EXPECT_EQ(hg::riminiTitle(dir / "r.dat"), "ALPS1");
    }
}

TEST(Rimini, ThinningAndWindowPutValuesInTheirTruePlaces) {
    TempDir dir;
    writeFile(dir / "r.dat", makeRimini("\r\n"));
    RiminiRead thinned(dir / "r.dat");
    thinned.settings.sizeMeshMaxX = thinned.settings.sizeMeshMaxZ = 36;
    const auto& t = thinned.run();
    ASSERT_EQ(thinned.mesh.thinStep, 2);
    expectMetres(t, 35, 24, [](int i, int j) { return metres(2 * i, 2 * j); });

    RiminiRead window(dir / "r.dat");
    window.settings.isPart = 1;
    window.settings.startX = 50;
    window.settings.startZ = 30;
    window.settings.sizeMeshMaxX = 21;
    window.settings.sizeMeshMaxZ = 19;
    expectMetres(window.run(), 21, 19, [](int i, int j) { return metres(30 + i, 50 + j); });
}

TEST(Rimini, CutShortAnywhereGives15) {
    TempDir dir;
    for (const char* eol : {"\r\n", "\n"}) {
        std::string file = makeRimini(eol);
        const std::size_t record = 80 + std::string(eol).size();
        // Every line end of the first and the last records, and a spread
        // of places in between.
        std::vector<std::size_t> cuts;
        for (std::size_t k = 0; k < file.size(); k += 41) cuts.push_back(k);
        for (std::size_t end : {record, 2 * record, file.size() - record, file.size()}) {
            for (std::size_t back = 1; back <= 3; ++back) cuts.push_back(end - back);
        }
        for (std::size_t cut : cuts) {
            writeFile(dir / "r.dat", file.substr(0, cut));
            EXPECT_EQ(failureOf(dir / "r.dat"), MessageId::IllegalRiminiDat) << "cut at " << cut;
            try {
                hg::riminiTitle(dir / "r.dat");
                ADD_FAILURE() << "title of a file cut at " << cut;
            } catch (const hg::MessageError& e) {
                EXPECT_EQ(e.id(), MessageId::IllegalRiminiDat);
            }
        }
    }
}

TEST(Rimini, MalformedRecordsGive15) {
    TempDir dir;
    const std::string file = makeRimini("\r\n");
    std::string mixed = file, longer = file, text = file;
    mixed.erase(82 * 5 + 80, 1);    // line ends that change in mid-file
    longer.insert(82 * 3, 1, ' ');  // a record one byte too long
    text[82 * 7 + 12] = 'x';        // a height that is not a number
    for (const std::string& bad : {mixed, longer, text}) {
        writeFile(dir / "r.dat", bad);
        EXPECT_EQ(failureOf(dir / "r.dat"), MessageId::IllegalRiminiDat);
    }
    EXPECT_EQ(failureOf(dir / "missing.dat"), MessageId::IllegalRiminiDat);
}

}  // namespace
