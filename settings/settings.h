// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/profile_store.h"

namespace hg {

inline constexpr const char* kSection = "Hillglimmer";
inline constexpr const char* kSectionGsi10m = "GSI10m";
inline constexpr const char* kSectionSdts = "SDTS";

// Keys of section "Hillglimmer" with their defaults.
namespace key {
inline constexpr const char* sel = "sel";
inline constexpr const char* demType = "demType";
inline constexpr const char* yFactor = "yFactor";
inline constexpr const char* step = "step";
inline constexpr const char* numMesh = "numMesh";
inline constexpr const char* speed = "speed";
inline constexpr const char* startX = "startX";
inline constexpr const char* startZ = "startZ";
inline constexpr const char* isPart = "isPart";
inline constexpr const char* sizeMeshMaxX = "sizeMeshMaxX";
inline constexpr const char* sizeMeshMaxZ = "sizeMeshMaxZ";
inline constexpr const char* xAngle = "xAngle";
inline constexpr const char* yAngle = "yAngle";
inline constexpr const char* seaColor = "seaColor";
inline constexpr const char* firstColor = "firstColor";
inline constexpr const char* secondColor = "secondColor";
inline constexpr const char* thirdColor = "thirdColor";
inline constexpr const char* fourthColor = "fourthColor";
inline constexpr const char* fifthColor = "fifthColor";
inline constexpr const char* adjColRange = "adjColRange";
}  // namespace key

namespace def {
inline constexpr int sel = 0;
inline constexpr int demType = 0;
inline constexpr int yFactor = 11;
inline constexpr int step = 8;
inline constexpr int numMesh = 2;
inline constexpr int speed = 5;
inline constexpr int startX = 0;
inline constexpr int startZ = 0;
inline constexpr int isPart = 0;
inline constexpr int sizeMeshMax = 201;
inline constexpr const char* angle = "Nothing";
inline constexpr std::size_t angleBuffer = 128;
inline constexpr std::size_t colorBuffer = 32;
inline constexpr const char* seaColor = "0x84BDF6";
inline constexpr const char* firstColor = "0x3C83A5";
inline constexpr const char* secondColor = "0x4CBA4C";
inline constexpr const char* thirdColor = "0xBCBC43";
inline constexpr const char* fourthColor = "0xCA7440";
inline constexpr const char* fifthColor = "0xBFBFBF";
inline constexpr int adjColRange = 0;
}  // namespace def

// The value lists that stored positions index, texts exactly as shown.
inline constexpr std::array<const char*, 25> kAltitudeFactorTexts = {
    " 0.10", " 0.15", " 0.2", " 0.2", " 0.3", " 0.4", " 0.5", " 0.6", " 0.8",
    " 1.0",  " 1.2",  " 1.4", " 1.7", " 2.0", " 2.4", " 3.0", " 5.0", " 7.0",
    "10.0",  "15.0",  "20.0", "30.0", "50.0", "70.0", "100.0"};
inline constexpr std::array<const char*, 12> kContourTexts = {" 0.2m", " 0.5m", "   1m", "   2m",
                                                              "   5m", "  10m", "  20m", "  50m",
                                                              " 100m", " 200m", " 500m", "1000m"};
inline constexpr std::array<const char*, 4> kMeshTexts = {"1/1", "1/2", "1/4", "1/8"};
inline constexpr std::array<double, 8> kSpeedValues = {0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0};

// A stored list position made safe: positions outside the list give the
// key's default (a hand-edited file must not index past a list).
int altitudeFactorPosition(int stored);
int contourPosition(int stored);
int meshPosition(int stored);
int speedPosition(int stored);

// The number at the start of a list text, read as a text-to-double
// conversion that stops at the first character that cannot continue it.
double leadingDouble(const std::string& text);

double altitudeFactorAt(int position);
double contourIntervalAt(int position);
double meshBlockFor(int numMesh);
double speedAt(int position);

// What the saver start takes from section "Hillglimmer".
struct SaverSettings {
    int drawType = def::sel;
    double yFactor = 0;
    double step = 0;
    double meshBlock = 0;
    double speed = 0;
    int startX = 0;
    int startZ = 0;
    int isPart = 0;
    int sizeMeshMaxX = def::sizeMeshMax;
    int sizeMeshMaxZ = def::sizeMeshMax;
    // Unset when the key holds "Nothing" (the style's default applies).
    std::optional<double> xAngle;
    std::optional<double> yAngle;
};

SaverSettings readSaverSettings(const ProfileStore& store);

// The tilt and turn to use: the stored angle (or the style's default),
// clamped to [-90, 0] and [-180, 180].
double clampTilt(double degrees);
double clampTurn(double degrees);

// A colour key's text as a packed 0xRRGGBB: base-16 digits after an
// optional "0x", up to the first other character. Text that does not begin
// with a digit (a blank in front included) gives 0, black; a number too
// large for 32 signed bits gives the largest, whose low bytes are white.
int hexColour(std::string_view text);
// The colour key read as the style reads it: its text cut to the 32-byte
// buffer, then hexColour. def is the default text.
int readColourKey(const ProfileStore& store, const char* key, const char* def);

// Records a newly chosen DEM; always returns to the whole DEM.
bool writeDemType(ProfileStore& store, int demType);
int readDemType(const ProfileStore& store);

}  // namespace hg
