// SPDX-License-Identifier: MIT
// The saver, `render` and the part chooser read the DEM type, the import's
// description and the working file under the settings lock. Here another
// writer changes the DEM the moment before the lock is taken and again the
// moment after it is let go, as a select waiting on the lock would: the
// drawing must show the first change whole, never its type with the other
// file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dem/dem_selection.h"
#include "platform/profile_store.h"
#include "render/draw_mesh.h"
#include "render/styles.h"
#include "settings/settings.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::Shown;
using hgtest::TempDir;

// The user's settings, with a hook on each side of the lock.
class ContestedStore final : public hg::ProfileStore {
public:
    explicit ContestedStore(const std::filesystem::path& ini) : base_(ini) {}

    int getInt(const std::string& section, const std::string& key, int def) const override {
        return base_.getInt(section, key, def);
    }
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def, std::size_t bufferSize) const override {
        return base_.getString(section, key, def, bufferSize);
    }
    bool putString(const std::string& section, const std::string& key,
                   const std::string& value) override {
        return base_.putString(section, key, value);
    }
    bool putStrings(const std::string& section, const std::vector<Entry>& entries) override {
        return base_.putStrings(section, entries);
    }
    bool apply(const std::vector<Change>& changes) override { return base_.apply(changes); }
    bool flush() override { return base_.flush(); }
    bool lock() override {
        ++locks;
        if (beforeLock) beforeLock();
        return base_.lock();
    }
    void unlock() override {
        base_.unlock();
        if (afterUnlock) afterUnlock();
    }

    std::function<void()> beforeLock;
    std::function<void()> afterUnlock;
    int locks = 0;

private:
    hg::IniProfileStore base_;
};

struct Drawn {
    int ok = 0;
    std::string title;
    int cols = 0;
    int rows = 0;
    std::string shown;
};

Drawn drawOnce(const std::function<int(hg::CDraw&, hg::GlTarget*, hg::CViewSettings&)>& init) {
    Drawn d;
    std::string why;
    auto target = hgtest::makeTarget(96, 72, why);
    if (!target) {
        d.shown = why;
        return d;
    }
    Shown shown;
    hg::CDrawMesh draw;
    auto s = hg::createViewSettings(hg::kDrawMesh);
    d.ok = init(draw, target.get(), *s);
    d.title = s->title;
    d.cols = s->demCols;
    d.rows = s->demRows;
    if (d.shown.empty()) d.shown = shown.first();
    if (d.ok) draw.release();
    return d;
}

}  // namespace

TEST(DrawReadLock, AChangeJustBeforeOrAfterTheReadIsSeenWholeOrNotAtAll) {
    const std::filesystem::path usgs = hgtest::bundledTerrain();
    const std::filesystem::path mlt = hgtest::sharedData("dhm25/dhm1000.mlt");
    HG_REQUIRE_SHARED(mlt);
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(probe, 8, 8);

    const Drawn wanted = drawOnce([&](hg::CDraw& draw, hg::GlTarget* t, hg::CViewSettings& s) {
        return draw.initialise(t, s, mlt, hg::kDemDhm25);
    });
    ASSERT_EQ(wanted.ok, 1) << wanted.shown;

    TempDir home;
    const std::filesystem::path ini = home / "Hillglimmer.ini";
    const std::filesystem::path mem = home / "Hillglimmer.mem";
    hg::IniProfileStore other(ini);
    ASSERT_TRUE(hg::commitCopy(usgs, mem, other, hg::kDemUsgs));

    ContestedStore store(ini);
    store.beforeLock = [&] { ASSERT_TRUE(hg::commitCopy(mlt, mem, other, hg::kDemDhm25)); };
    store.afterUnlock = [&] { ASSERT_TRUE(hg::commitCopy(usgs, mem, other, hg::kDemUsgs)); };
    const Drawn got = drawOnce([&](hg::CDraw& draw, hg::GlTarget* t, hg::CViewSettings& s) {
        return draw.initialise(t, s, mem, store);
    });
    ASSERT_EQ(got.ok, 1) << got.shown;
    EXPECT_EQ(store.locks, 1);
    // The DHM25 grid of the change made before the read, whole.
    EXPECT_EQ(got.title, wanted.title);
    EXPECT_EQ(got.cols, wanted.cols);
    EXPECT_EQ(got.rows, wanted.rows);
    // The change made after it went through.
    EXPECT_EQ(hg::readDemType(other), hg::kDemUsgs);
}
