// SPDX-License-Identifier: MIT
#include "settings/settings.h"

#include <cmath>
#include <limits>

#include "platform/text_number.h"

namespace hg {

namespace {
int inRange(int stored, std::size_t size, int fallback) {
    return (stored >= 0 && static_cast<std::size_t>(stored) < size) ? stored : fallback;
}
}  // namespace

int altitudeFactorPosition(int stored) {
    return inRange(stored, kAltitudeFactorTexts.size(), def::yFactor);
}
int contourPosition(int stored) {
    return inRange(stored, kContourTexts.size(), def::step);
}
int meshPosition(int stored) {
    return inRange(stored, kMeshTexts.size(), def::numMesh);
}
int speedPosition(int stored) {
    return inRange(stored, kSpeedValues.size(), def::speed);
}

double leadingDouble(const std::string& text) {
    return leadingNumber(std::string_view(text), 0.0);
}

double altitudeFactorAt(int position) {
    return leadingDouble(
        kAltitudeFactorTexts[static_cast<std::size_t>(altitudeFactorPosition(position))]);
}
double contourIntervalAt(int position) {
    return leadingDouble(kContourTexts[static_cast<std::size_t>(contourPosition(position))]);
}
double meshBlockFor(int numMesh) {
    return std::pow(2.0, meshPosition(numMesh));
}
double speedAt(int position) {
    return kSpeedValues[static_cast<std::size_t>(speedPosition(position))];
}

double clampTilt(double degrees) {
    if (std::isnan(degrees)) return 0.0;
    return degrees < -90.0 ? -90.0 : (degrees > 0.0 ? 0.0 : degrees);
}

double clampTurn(double degrees) {
    if (std::isnan(degrees)) return 0.0;
    return degrees < -180.0 ? -180.0 : (degrees > 180.0 ? 180.0 : degrees);
}

SaverSettings readSaverSettings(const ProfileStore& store) {
    SaverSettings s;
    s.drawType = store.getInt(kSection, key::sel, def::sel);
    s.yFactor = altitudeFactorAt(store.getInt(kSection, key::yFactor, def::yFactor));
    s.step = contourIntervalAt(store.getInt(kSection, key::step, def::step));
    s.meshBlock = meshBlockFor(store.getInt(kSection, key::numMesh, def::numMesh));
    s.speed = speedAt(store.getInt(kSection, key::speed, def::speed));
    s.startX = store.getInt(kSection, key::startX, def::startX);
    s.startZ = store.getInt(kSection, key::startZ, def::startZ);
    s.isPart = store.getInt(kSection, key::isPart, def::isPart);
    int mx = store.getInt(kSection, key::sizeMeshMaxX, def::sizeMeshMax);
    int mz = store.getInt(kSection, key::sizeMeshMaxZ, def::sizeMeshMax);
    if (mx != 0) s.sizeMeshMaxX = mx;
    if (mz != 0) s.sizeMeshMaxZ = mz;
    std::string xa = store.getString(kSection, key::xAngle, def::angle, def::angleBuffer);
    if (xa != def::angle) s.xAngle = leadingDouble(xa);
    std::string ya = store.getString(kSection, key::yAngle, def::angle, def::angleBuffer);
    if (ya != def::angle) s.yAngle = leadingDouble(ya);
    return s;
}

int hexColour(std::string_view text) {
    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<int>::max());
    return static_cast<int>(leadingHex(text, kMax).value_or(0));
}

int readColourKey(const ProfileStore& store, const char* key, const char* def) {
    return hexColour(store.getString(kSection, key, def, def::colorBuffer));
}

bool writeDemType(ProfileStore& store, int demType) {
    return store.putStrings(kSection, {{key::demType, formatInteger(demType)},
                                       {key::isPart, "0"},
                                       {key::sizeMeshMaxX, "201"},
                                       {key::sizeMeshMaxZ, "201"}}) &&
           store.flush();
}

int readDemType(const ProfileStore& store) {
    return store.getInt(kSection, key::demType, def::demType);
}

}  // namespace hg
