// SPDX-License-Identifier: MIT
#include "platform/sanitizer_support.h"

#include <dlfcn.h>

#include <initializer_list>

#if defined(__SANITIZE_ADDRESS__)
#define HG_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HG_ADDRESS_SANITIZER 1
#endif
#endif

namespace hg {

void keepGlDriversLoaded() {
#ifdef HG_ADDRESS_SANITIZER
    for (const char* driver : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                               "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so",
                               "/usr/lib/x86_64-linux-gnu/libGLX_mesa.so.0",
                               "/usr/lib/x86_64-linux-gnu/libEGL_mesa.so.0"}) {
        // The handle is dropped on purpose: RTLD_NODELETE is the point.
        (void)dlopen(driver, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    }
#endif
}

}  // namespace hg
