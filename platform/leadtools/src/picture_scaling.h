// Reading a picture file straight at another size, for thumbnails and fitted sketches.
#pragma once

#include "kadrix/platform/picture.h"

namespace kadrix::leadtools {

// The picture scaled smoothly to exactly width x height (both within the bitmap limits).
// JPEG files are decoded at a reduced scale first, so a 12 MP photo never exists at full size.
platform::Result<platform::Bitmap> loadScaled(const platform::fs::path& source, int width,
                                              int height);

}  // namespace kadrix::leadtools
