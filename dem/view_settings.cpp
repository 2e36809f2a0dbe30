#include "dem/view_settings.h"

namespace hg {

std::unique_ptr<CViewSettings> createViewSettings(int drawType) {
    if (drawType < kDrawMesh || drawType > kDrawRelief) return nullptr;
    auto s = std::make_unique<CViewSettings>();
    s->drawType = drawType;
    switch (drawType) {
        case kDrawWine: s->normalWeight = 1.0; break;
        case kDrawFlower:
        case kDrawCheck: s->normalWeight = 2.0; break;
        case kDrawSkeleton: s->normalWeight = 3.0; break;
        case kDrawContour:
        case kDrawStep: s->step = 50.0; break;
        case kDrawRelief:
            s->normalWeight = 3.0;
            s->xAngle = -90.0;
            s->yAngle = 0.0;
            s->distanceFactor = 1.1;
            s->perspective = false;
            break;
        default: break;
    }
    return s;
}

}  // namespace hg
