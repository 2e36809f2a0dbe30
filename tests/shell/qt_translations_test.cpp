// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QLibraryInfo>
#include <QTranslator>
#include <filesystem>

#include "shell/extra_commands.h"
#include "support/test_support.h"

TEST(QtTranslations, JapaneseDialogsGetQtsOwnJapaneseTexts) {
    const auto qm = std::filesystem::path(
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()) /
                    "qtbase_ja.qm";
    if (!std::filesystem::exists(qm)) GTEST_SKIP() << qm << " is not installed";
    {
        hgtest::ScopedEnv lang("HILLGLIMMER_LANG", "ja");
        QTranslator t;
        ASSERT_TRUE(hg::loadQtTranslations(t));
        // The file dialog's own words.
        EXPECT_NE(t.translate("QFileDialog", "Look in:"), QString());
    }
    hgtest::ScopedEnv lang("HILLGLIMMER_LANG", "en");
    QTranslator t;
    EXPECT_FALSE(hg::loadQtTranslations(t));
}
