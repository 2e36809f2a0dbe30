// SPDX-License-Identifier: MIT
#include "resources/dialog_texts.h"

#include <iterator>

namespace hg {

namespace {

const SetupDialogTexts kSetupEnglish = {
    "Hillglimmer Setup",
    {"Mesh", "Shading", "Wine", "Cyan", "Flower", "Check", "Skeleton", "3D-Contour", "Step"},
    "Mesh :",
    "Altitude Factor :",
    "Speed :",
    "slow",
    "fast",
    "Contour :",
    "Specify DEM",
    "Outline / Part",
    "OK",
    "CANCEL",
    "Hillglimmer  ver 2.48",
    "Arial,Liberation Sans,DejaVu Sans",
    9,
    "The settings could not be saved.",
    "Use as my XScreenSaver display mode",
    "The XScreenSaver settings file (~/.xscreensaver) could not be changed.",
};

const SetupDialogTexts kSetupJapanese = {
    "Hillglimmer 設定",
    {"ﾒｯｼｭ", "ｼｪｰﾃﾞｨﾝｸﾞ", "ﾜｲﾝ", "ｼｱﾝ", "ﾌﾗﾜｰ", "ﾁｴｯｸ", "ｽｹﾙﾄﾝ", "3D等高線", "3D段彩図"},
    "ﾒｯｼｭ数 :",
    "高さ係数 :",
    "ｽﾋﾟｰﾄﾞ :",
    "遅い",
    "速い",
    "等高線間隔 :",
    "DEM 選択",
    "ｱｳﾄﾗｲﾝ/部分選択",
    "OK",
    "ｷｬﾝｾﾙ",
    "Hillglimmer ver 2.48",
    "ＭＳ Ｐゴシック,MS PGothic,IPAPGothic,IPAGothic",
    9,
    "設定を保存できませんでした。",
    "XScreenSaverの表示モードに使う",
    "XScreenSaverの設定ファイル (~/.xscreensaver) を変更できませんでした。",
};

const SheetDialogTexts kSheetEnglish = {"Specify GSI 50m-Mesh DEM", "OK", "CANCEL"};
const SheetDialogTexts kSheetJapanese = {"50mﾒｯｼｭDEM 図名選択", "OK", "ｷｬﾝｾﾙ"};

const OutlineDialogTexts kOutlineEnglish = {
    "DEM Outline/Part",
    "EW Mesh",
    "NS Mesh",
    "N-EW Distance",
    "S-EW Distance",
    "NS Distance",
    "Max Altitude",
    "Min Altitude",
    "Cursor Altitude",
    "Fractal Dim",
    "OK",
    "CANCEL",
    "The chosen part could not be saved in the settings.",
    "not placed",
};

const OutlineDialogTexts kOutlineJapanese = {
    "DEM ｱｳﾄﾗｲﾝ/部分選択",
    "EWﾒｯｼｭ",
    "NSﾒｯｼｭ",
    "N-EW距離",
    "S-EW距離",
    "NS距離",
    "Max高度",
    "Min高度",
    "ｶｰｿﾙ高度",
    "ﾌﾗｸﾀﾙ次元",
    "OK",
    "ｷｬﾝｾﾙ",
    "選択した部分を設定に保存できませんでした。",
    "位置不明",
};

}  // namespace

const OutlineDialogTexts& outlineDialogTexts(Language language) {
    return language == Language::Japanese ? kOutlineJapanese : kOutlineEnglish;
}

const SetupDialogTexts& setupDialogTexts(Language language) {
    return language == Language::Japanese ? kSetupJapanese : kSetupEnglish;
}

const SheetDialogTexts& sheetDialogTexts(Language language) {
    return language == Language::Japanese ? kSheetJapanese : kSheetEnglish;
}

std::vector<const char*> dialogTextList(Language language) {
    const SetupDialogTexts& s = setupDialogTexts(language);
    const OutlineDialogTexts& o = outlineDialogTexts(language);
    const SheetDialogTexts& g = sheetDialogTexts(language);
    std::vector<const char*> texts = {
        s.title,
        s.meshLabel,
        s.altitudeLabel,
        s.speedLabel,
        s.slow,
        s.fast,
        s.contourLabel,
        s.specifyDem,
        s.outlinePart,
        s.ok,
        s.cancel,
        s.version,
        s.fontFamilies,
        s.saveFailed,
        s.useWithXScreenSaver,
        s.xscreensaverFailed,
        g.title,
        g.ok,
        g.cancel,
        o.title,
        o.ewMesh,
        o.nsMesh,
        o.northDistance,
        o.southDistance,
        o.nsDistance,
        o.maxAltitude,
        o.minAltitude,
        o.cursorAltitude,
        o.fractalDimension,
        o.ok,
        o.cancel,
        o.saveFailed,
        o.cornersNotPlaced,
    };
    texts.insert(texts.end(), std::begin(s.styles), std::end(s.styles));
    for (const DemFileFilter& f : kDemFileFilters)
        if (f.japanese != nullptr) texts.push_back(f.in(language));
    return texts;
}

}  // namespace hg
