// DICOM rendering on DCMTK: load, decompress the first frame, choose the window, take DCMTK's
// 8-bit display output.
#include "dcmtk_bridge.h"

#include <cstdint>
#include <mutex>

#include "dcmtk/config/osconfig.h"  // first, as DCMTK requires
#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcdict.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcrledrg.h"
#include "dcmtk/dcmimage/diregist.h"  // colour pictures
#include "dcmtk/dcmimgle/dcmimage.h"
#include "dcmtk/dcmjpeg/djdecode.h"

namespace kadrix::bmptodcm {

namespace {

using platform::Bitmap;
using platform::Result;
using platform::Status;

// DCMTK keeps its decoders in a process-wide list. They stay registered for the life of the
// process: this library is linked not to be unloaded, so the list never points into freed code.
void registerDecoders() {
    static std::once_flag once;
    std::call_once(once, [] {
        DJDecoderRegistration::registerCodecs();
        DcmRLEDecoderRegistration::registerCodecs();
    });
}

Status chooseWindow(DicomImage& image) {
    if (image.getWindowCount() > 0 && image.setWindow(0))
        return {};
    if (image.getVoiLutCount() > 0 && image.setVoiLut(0))
        return {};
    if (image.setMinMaxWindow(0))
        return {};
    return Status::failure("no display window can be set");
}

}  // namespace

Result<Bitmap> renderFirstFrame(const std::string& dicomPath) {
    registerDecoders();
    if (!dcmDataDict.isDictionaryLoaded())
        return Status::failure("no DICOM data dictionary");

    DcmFileFormat file;
    const OFCondition loaded = file.loadFile(dicomPath.c_str());
    if (loaded.bad())
        return Status::failure("not a readable DICOM file: " + std::string(loaded.text()));
    DcmDataset* dataset = file.getDataset();
    Uint16 rows = 0, columns = 0;
    if (dataset->findAndGetUint16(DCM_Rows, rows).bad() ||
        dataset->findAndGetUint16(DCM_Columns, columns).bad() || rows == 0 || columns == 0 ||
        !dataset->tagExists(DCM_PixelData)) {
        return Status::failure("the DICOM file holds no picture");
    }
    if (int64_t{rows} * columns > Bitmap::MaxPixels) {
        return Status::failure("the DICOM picture is too large");
    }

    DicomImage image(&file, dataset->getOriginalXfer(), CIF_UsePartialAccessToPixelData, 0, 1);
    if (image.getStatus() != EIS_Normal) {
        return Status::failure("the DICOM picture cannot be read: " +
                               std::string(DicomImage::getString(image.getStatus())));
    }
    if (image.isMonochrome()) {
        if (Status window = chooseWindow(image); !window)
            return window;
    }
    const auto* pixels = static_cast<const uint8_t*>(image.getOutputData(8, 0, 0));
    if (!pixels)
        return Status::failure("the DICOM picture cannot be rendered");
    const int width = static_cast<int>(image.getWidth());
    const int height = static_cast<int>(image.getHeight());
    Result<Bitmap> made = Bitmap::create(width, height);
    if (!made)
        return made;
    Bitmap& bitmap = made.value();
    const bool monochrome = image.isMonochrome();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.row(y);
        for (int x = 0; x < width; ++x, row += 3) {
            if (monochrome) {
                row[0] = row[1] = row[2] = *pixels++;
            } else {
                row[2] = pixels[0];
                row[1] = pixels[1];
                row[0] = pixels[2];
                pixels += 3;
            }
        }
    }
    return made;
}

}  // namespace kadrix::bmptodcm
