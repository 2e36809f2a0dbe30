// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "platform/messages.h"

namespace hg {

// Texts of the setup dialog (100) and the sheet dialog (114) in one language.
struct SetupDialogTexts {
    const char* title;
    const char* styles[9];  // radio buttons 1000..1008
    const char* meshLabel;
    const char* altitudeLabel;
    const char* speedLabel;
    const char* slow;
    const char* fast;
    const char* contourLabel;
    const char* specifyDem;   // 1012
    const char* outlinePart;  // 1019
    const char* ok;
    const char* cancel;
    const char* version;
    const char* fontFamilies;  // comma-separated, first preferred
    int fontPoints;
    // Shown when OK cannot store the choices.
    const char* saveFailed;
    // The check box that lists the program among XScreenSaver's display
    // modes, shown where XScreenSaver is installed; and what OK says when
    // ~/.xscreensaver cannot be changed.
    const char* useWithXScreenSaver;
    const char* xscreensaverFailed;
};

struct SheetDialogTexts {
    const char* title;
    const char* ok;
    const char* cancel;
};

// Texts of the Outline/Part dialog (115) in one language.
struct OutlineDialogTexts {
    const char* title;
    const char* ewMesh;
    const char* nsMesh;
    const char* northDistance;
    const char* southDistance;
    const char* nsDistance;
    const char* maxAltitude;
    const char* minAltitude;
    const char* cursorAltitude;
    const char* fractalDimension;
    const char* ok;
    const char* cancel;
    // Shown when OK cannot store the part.
    const char* saveFailed;
    // In place of the corners when they cannot be placed on the map.
    const char* cornersNotPlaced;
};

const SetupDialogTexts& setupDialogTexts(Language language);
const OutlineDialogTexts& outlineDialogTexts(Language language);
const SheetDialogTexts& sheetDialogTexts(Language language);

// Every text of the three dialogs in one language, in the same order for
// both, so a check can hold each text against its translation.
std::vector<const char*> dialogTextList(Language language);

// The file dialog's filters, in order: description and patterns. The
// formats' own names read the same in both languages; where a description
// has words of ours, japanese holds them.
struct DemFileFilter {
    const char* description;
    const char* patterns;  // ';'-separated
    const char* japanese = nullptr;
    const char* in(Language language) const {
        return language == Language::Japanese && japanese != nullptr ? japanese : description;
    }
};
inline constexpr DemFileFilter kDemFileFilters[8] = {
    {"GSI 50m-mesh DEM (Zumei.csv)(*.mem)", "zumei.csv;*.mem"},
    {"GSI 10m-mesh DEM (*.csv)", "*.csv"},
    {"USGS 1-degree, 15-minute DEM, CDED (*.dem)", "*.dem"},
    {"USGS 7.5-minute DEM (*cel0.ddf)", "????cel0.ddf"},
    {"Swisstopo DHM25 (*.mlt)(*.mat)", "*.mlt;*.mat"},
    {"OS Panorama, Profile DTM (*.ntf)", "*.ntf"},
    {"GeoTIFF, SRTM HGT, ASCII grid, DTED (*.tif)(*.hgt)(*.asc)(*.dt?)",
     "*.tif;*.tiff;*.hgt;*.asc;*.dt0;*.dt1;*.dt2",
     "GeoTIFF、SRTM HGT、ASCII グリッド、DTED (*.tif)(*.hgt)(*.asc)(*.dt?)"},
    {"All files (*)", "*", "すべてのファイル (*)"},
};

}  // namespace hg
