// SPDX-License-Identifier: MIT
#include "dem/line_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hgtest::TempDir;
using hgtest::writeFile;

TEST(LineReader, LinesKeepTheirEndsUpToTheLimit) {
    TempDir dir;
    const std::string longest(255, 'a');
    writeFile(dir / "t.txt", "one\r\n\ntwo\n" + longest + "\n" + longest + "bb\nrest");
    hg::LineReader reader(256, MessageId::IllegalMatrix);
    ASSERT_TRUE(reader.open(dir / "t.txt"));
    std::string line;
    ASSERT_TRUE(reader.nextLine(line));
    EXPECT_EQ(line, "one\r\n");
    ASSERT_TRUE(reader.nextLine(line));
    EXPECT_EQ(line, "\n");
    ASSERT_TRUE(reader.nextLine(line));
    EXPECT_EQ(line, "two\n");
    ASSERT_TRUE(reader.nextLine(line));
    EXPECT_EQ(line, longest + "\n");
    // A line that does not fit ends the reading, as it would for a fixed
    // line buffer.
    EXPECT_FALSE(reader.nextLine(line));

    // Back at the top, bytes come by count across line ends; a last line
    // without its LF is no line.
    ASSERT_TRUE(reader.rewind());
    char head[7] = {};
    EXPECT_EQ(reader.read(head, 6), 6u);
    EXPECT_EQ(std::string(head), "one\r\n\n");
    ASSERT_TRUE(reader.nextLine(line));
    EXPECT_EQ(line, "two\n");
    std::string rest(1000, '\0');
    rest.resize(reader.read(rest.data(), rest.size()));
    EXPECT_EQ(rest, longest + "\n" + longest + "bb\nrest");
    EXPECT_FALSE(reader.nextLine(line));
}

TEST(LineReader, AFileThatCannotBeReadGivesTheReadersMessage) {
    TempDir dir;
    hg::LineReader reader(256, MessageId::IllegalCsv);
    EXPECT_FALSE(reader.open(dir / "absent.txt"));
    std::string line;
    EXPECT_EQ(hgtest::messageOf([&] { reader.nextLine(line); }), MessageId::IllegalCsv);
    char byte = 0;
    EXPECT_EQ(hgtest::messageOf([&] { reader.read(&byte, 1); }), MessageId::IllegalCsv);
}

}  // namespace
