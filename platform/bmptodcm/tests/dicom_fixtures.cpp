// DICOM fixtures through DCMTK's own writer and its JPEG and RLE encoders.
#include "dicom_fixtures.h"

#include <mutex>

#include "dcmtk/config/osconfig.h"  // first, as DCMTK requires
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcrleerg.h"
#include "dcmtk/dcmdata/dcrlerp.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmjpeg/djencode.h"
#include "dcmtk/dcmjpeg/djrplol.h"
#include "dcmtk/dcmjpeg/djrploss.h"

namespace kadrix::bmptodcm::test {

namespace {

void registerEncoders() {
    static std::once_flag once;
    std::call_once(once, [] {
        DJEncoderRegistration::registerCodecs();
        DcmRLEEncoderRegistration::registerCodecs();
    });
}

OFCondition fill(DcmDataset& d, const DicomPicture& p) {
    char uid[100];
    const int samplesPerPixel = p.photometric.rfind("MONOCHROME", 0) == 0 ? 1 : 3;
    OFCondition c = d.putAndInsertString(DCM_SOPClassUID, UID_SecondaryCaptureImageStorage);
    if (c.good())
        c = d.putAndInsertString(DCM_SOPInstanceUID,
                                 dcmGenerateUniqueIdentifier(uid, SITE_INSTANCE_UID_ROOT));
    if (c.good())
        c = d.putAndInsertString(DCM_PatientName, "Test^Fixture");
    if (c.good())
        c = d.putAndInsertString(DCM_PhotometricInterpretation, p.photometric.c_str());
    if (c.good())
        c = d.putAndInsertUint16(DCM_SamplesPerPixel, static_cast<Uint16>(samplesPerPixel));
    if (c.good() && samplesPerPixel == 3)
        c = d.putAndInsertUint16(DCM_PlanarConfiguration, static_cast<Uint16>(p.planar));
    if (c.good())
        c = d.putAndInsertUint16(DCM_Rows, static_cast<Uint16>(p.height));
    if (c.good())
        c = d.putAndInsertUint16(DCM_Columns, static_cast<Uint16>(p.width));
    if (c.good())
        c = d.putAndInsertUint16(DCM_BitsAllocated, static_cast<Uint16>(p.bitsAllocated));
    if (c.good())
        c = d.putAndInsertUint16(DCM_BitsStored, static_cast<Uint16>(p.bitsStored));
    if (c.good())
        c = d.putAndInsertUint16(DCM_HighBit, static_cast<Uint16>(p.bitsStored - 1));
    if (c.good())
        c = d.putAndInsertUint16(DCM_PixelRepresentation, p.isSigned ? 1 : 0);
    if (c.good() && p.frames > 1)
        c = d.putAndInsertString(DCM_NumberOfFrames, std::to_string(p.frames).c_str());
    if (c.good() && p.window) {
        c = d.putAndInsertString(DCM_WindowCenter, std::to_string(p.window->first).c_str());
        if (c.good())
            c = d.putAndInsertString(DCM_WindowWidth, std::to_string(p.window->second).c_str());
    }
    if (c.bad())
        return c;
    if (p.bitsAllocated == 8) {
        std::vector<Uint8> bytes(p.samples.begin(), p.samples.end());
        return d.putAndInsertUint8Array(DCM_PixelData, bytes.data(),
                                        static_cast<unsigned long>(bytes.size()));
    }
    std::vector<Uint16> words;
    for (int32_t s : p.samples)
        words.push_back(static_cast<Uint16>(s));  // two's complement when signed
    return d.putAndInsertUint16Array(DCM_PixelData, words.data(),
                                     static_cast<unsigned long>(words.size()));
}

}  // namespace

bool writeDicom(const std::filesystem::path& file, const DicomPicture& picture, Encoding encoding,
                std::string* error) {
    registerEncoders();
    DcmFileFormat format;
    DcmDataset* dataset = format.getDataset();
    OFCondition c = fill(*dataset, picture);
    E_TransferSyntax xfer = EXS_LittleEndianExplicit;
    if (c.good()) {
        const DJ_RPLossless lossless;
        const DJ_RPLossy lossy(95);
        const DcmRLERepresentationParameter rle;
        switch (encoding) {
            case Encoding::Uncompressed:
                break;
            case Encoding::JpegLossless:
                xfer = EXS_JPEGProcess14SV1;
                c = dataset->chooseRepresentation(xfer, &lossless);
                break;
            case Encoding::JpegBaseline:
                xfer = EXS_JPEGProcess1;
                c = dataset->chooseRepresentation(xfer, &lossy);
                break;
            case Encoding::Rle:
                xfer = EXS_RLELossless;
                c = dataset->chooseRepresentation(xfer, &rle);
                break;
        }
        if (c.good() && !dataset->canWriteXfer(xfer))
            c = EC_CannotChangeRepresentation;
    }
    if (c.good())
        c = format.saveFile(file.c_str(), xfer);
    if (c.bad() && error)
        *error = c.text();
    return c.good();
}

bool writeDicomWithoutPicture(const std::filesystem::path& file) {
    DcmFileFormat format;
    format.getDataset()->putAndInsertString(DCM_PatientName, "No^Picture");
    return format.saveFile(file.c_str(), EXS_LittleEndianExplicit).good();
}

}  // namespace kadrix::bmptodcm::test
