// The sample scene of `ulvofilter demo`: a night street with lights at several
// distances behind a sharp sign in the foreground, with its depth map.
#pragma once

#include "src/imageio/image_file.h"

namespace ulvo {

// Depth values are distances: small values are near.
inline constexpr int kDemoFocusDepth = 40;  // the foreground sign

// An RGB image with the depth map as its fourth channel.
Image MakeDemoScene(int width = 800, int height = 600);

}  // namespace ulvo
