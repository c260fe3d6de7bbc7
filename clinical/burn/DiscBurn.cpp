#include "burn/DiscBurn.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "kadrix/platform/library.h"

namespace kadrix::clinical {
namespace {

constexpr const char* LibraryName = "DiscBurn.DLL";
constexpr size_t DeviceRecordSize = 620;
constexpr int MaxDevices = 128;

struct Binding {
    std::unique_ptr<platform::SharedLibrary> library;
    void (*init)() = nullptr;
    void (*uninit)() = nullptr;
    void (*getBusDeviceInfo)(int32_t, void*) = nullptr;
};

Binding& binding() {
    static Binding b;
    return b;
}

template <typename Fn>
Fn* entryOrNull(const char* name) {
    auto fn = binding().library->function<Fn>(name);
    return fn ? *fn : nullptr;
}

template <typename Fn>
Fn* bound(Fn* fn) {
    if (!fn) throw std::runtime_error(std::string("无法在 ") + LibraryName + " 中定位输入点 ");
    return fn;
}

}  // namespace

bool BindDiscBurn() {
    auto loaded = platform::SharedLibrary::load(LibraryName);
    if (!loaded) return false;
    Binding& b = binding();
    b.library = std::make_unique<platform::SharedLibrary>(std::move(loaded).value());
    b.init = entryOrNull<void()>("InitDiscBurn");
    b.uninit = entryOrNull<void()>("UninitDiscBurn");
    b.getBusDeviceInfo = entryOrNull<void(int32_t, void*)>("GetBusDeviceInfo");
    return true;
}

bool UnbindDiscBurn() {
    Binding& b = binding();
    if (!b.library) return false;
    b = Binding{};
    return true;
}

bool DiscBurnBound() { return binding().library != nullptr; }

void InitDiscBurn() { bound(binding().init)(); }
void UninitDiscBurn() { bound(binding().uninit)(); }

std::vector<BurnDevice> GetBusDevices() {
    // A count followed by room for 128 records of 620 bytes.
    std::vector<unsigned char> list(4 + DeviceRecordSize * MaxDevices, 0);
    bound(binding().getBusDeviceInfo)(0, list.data());
    int32_t count;
    std::memcpy(&count, list.data(), 4);
    std::vector<BurnDevice> devices;
    for (int32_t i = 0; i < count && i < MaxDevices; ++i) {
        const unsigned char* r = list.data() + 4 + DeviceRecordSize * static_cast<size_t>(i);
        BurnDevice d;
        d.name.assign(reinterpret_cast<const char*>(r), strnlen(reinterpret_cast<const char*>(r), 64));
        d.driveLetter = static_cast<char>(r[84]);
        uint32_t n;
        std::memcpy(&n, r + 352, 4);
        for (uint32_t k = 0; k < n && k < 66; ++k) {
            uint32_t v;
            std::memcpy(&v, r + 356 + 4 * k, 4);
            d.values.push_back(v);
        }
        devices.push_back(std::move(d));
    }
    return devices;
}

std::string driveEntry(const BurnDevice& device) {
    return std::string(1, device.driveLetter) + ":\\ (" + device.name + ")";
}

}  // namespace kadrix::clinical
