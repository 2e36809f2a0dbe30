// SPDX-License-Identifier: MIT
#pragma once

#include "dem/geodesy.h"
#include "dem/mesh.h"

namespace hg {

// Where a DEM's four corner posts lie, for display.
struct CornerPosts {
    enum class Status {
        // The reader's own corner fields are the positions (geographic
        // files, and formats placed no other way).
        AsStored,
        // Inverted from the file's UTM coordinates into geographic ones.
        Placed,
        // Neither geographic nor UTM: not placed.
        StatePlane,
        OtherProjection,
        // The inverse failed.
        Failed,
    };
    Status status = Status::AsStored;
    NamedDatum datum;
    GeoPosition southWest, northWest, northEast, southEast;
};

// The corner posts of an opened USGS DEM or imported SDTS transfer, each
// inverted from the coordinates the file gives the post (not from the
// corner fields, which keep the approximations the spacings are computed
// from); AsStored for every other reader.
CornerPosts cornerPostsOf(const CMesh& mesh);

}  // namespace hg
