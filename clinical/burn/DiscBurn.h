// Binding of the disc-burning library "DiscBurn.DLL", loaded at run time by name so that the
// module runs without it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kadrix::clinical {

struct BurnDevice {
    std::string name;
    char driveLetter = 0;
    std::vector<uint32_t> values;  // the burn uses the last one
};

// Loads the library and binds its entries; whether it loaded. An entry the library lacks fails
// with "无法在 DiscBurn.DLL 中定位输入点 " when called.
bool BindDiscBurn();
// Releases the library; false when nothing was loaded.
bool UnbindDiscBurn();
bool DiscBurnBound();

void InitDiscBurn();
void UninitDiscBurn();
// The drives the library reports (GetBusDeviceInfo).
std::vector<BurnDevice> GetBusDevices();
// How a drive is listed in the settings dialog: "E:\ (name)".
std::string driveEntry(const BurnDevice& device);

}  // namespace kadrix::clinical
