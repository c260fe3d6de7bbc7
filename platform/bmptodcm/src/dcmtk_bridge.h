// The only door to DCMTK: renders a DICOM file's first frame for display.
#pragma once

#include <string>

#include "kadrix/platform/picture.h"

namespace kadrix::bmptodcm {

// The first frame, windowed as dcm_to_bmp.h says; a failure says what could not be read.
platform::Result<platform::Bitmap> renderFirstFrame(const std::string& dicomPath);

}  // namespace kadrix::bmptodcm
