// Sketch templates: the anatomical outline an instrument's examinations mark positions on,
// installed beside the host program as <instrument code>.bmp.
#pragma once

#include <filesystem>
#include <vector>

#include "kadrix/workstation/clinic_database.h"

namespace kadrix::workstation {

// Writes the template of each instrument that has none yet; existing files are kept.
void writeSketchTemplates(const std::filesystem::path& folder, const std::vector<Instrument>& instruments);

}  // namespace kadrix::workstation
