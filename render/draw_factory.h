#pragma once

#include <memory>
#include <optional>
#include <string>

#include "render/draw.h"

namespace hg {

// The drawing object for draw type 0..9; null for any other type. A style
// missing from this build throws std::runtime_error saying so.
std::unique_ptr<CDraw> createDraw(int drawType);

// The draw type named by text: a number 0..9 or a style's name ("mesh",
// "3d-contour", ...), case ignored; nullopt when it names none.
std::optional<int> drawTypeFromName(const std::string& text);

// The style's name as the setup dialog shows it ("Mesh", "3D-Contour").
const char* drawTypeName(int drawType);

}  // namespace hg
