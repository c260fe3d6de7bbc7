// The host's automation objects that a plug-in reaches by programmatic identifier:
// "Zudi.DataCtrl" (database), "Zudi.Common" (messages, settings, docking, rights),
// "Zudi.BaseInfo" (who and where) and "Zudi.Settings" (host switches).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "kadrix/platform/automation.h"
#include "kadrix/platform/messages.h"
#include "kadrix/workstation/clinic_database.h"
#include "kadrix/workstation/workstation_config.h"

namespace kadrix::workstation {

// What the common service asks of the host program's frame.
class HostFrame {
public:
    virtual ~HostFrame() = default;
    // Places a plug-in window in the frame: position 3 a strip along the bottom, 1 a column at
    // the side.
    virtual void dockWindow(KxHwnd window, const std::string& frame, int index, int position) = 0;
    // A value the plug-in hands to the host (UserParam).
    virtual void setUserParam(const std::string& name, const std::string& value) = 0;
};

// A frame that only remembers what it was asked: for headless runs and tests.
class RecordingFrame : public HostFrame {
public:
    struct Dock {
        KxHwnd window;
        std::string frame;
        int index, position;
    };
    void dockWindow(KxHwnd window, const std::string& frame, int index, int position) override {
        docks.push_back({window, frame, index, position});
    }
    void setUserParam(const std::string& name, const std::string& value) override { userParams[name] = value; }
    std::vector<Dock> docks;
    std::map<std::string, std::string> userParams;
};

platform::ObjectRef makeDataService(std::shared_ptr<ClinicDatabase> database);
// Messages go through the platform's modal seam.
platform::ObjectRef makeCommonService(std::shared_ptr<ClinicDatabase> database, std::shared_ptr<HostFrame> frame);
platform::ObjectRef makeBaseInfoService(WorkstationConfig config);
platform::ObjectRef makeSettingsService(WorkstationConfig config);

}  // namespace kadrix::workstation
