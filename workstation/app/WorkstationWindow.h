// The reference workstation's main window: today's worklist, the capture desk, the report lock,
// and the frame the image manager plug-in docks into.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "ClinicalModule.h"
#include "kadrix/platform/message_window.h"
#include "kadrix/workstation/workstation_site.h"

class QLabel;
class QListWidget;
class QVBoxLayout;
class QHBoxLayout;

namespace kadrix::workstation {

class WorkstationWindow : public QMainWindow {
public:
    WorkstationWindow(WorkstationSite& site, ClinicalModule& module);
    ~WorkstationWindow() override;

    // Starts the plug-in: CreateKadrix with the grabber's handle.
    void startModule();
    void stopModule();

    int patientCount() const;
    // Opens the examination of the worklist's row (message 1100).
    void selectPatient(int row);
    // Writes a generated picture under the name the plug-in hands out, holding the writer's
    // lock, then tells the plug-in (message 1101). Returns the file.
    std::string capture();
    void setReportLocked(bool locked);
    void discardUnsaved();

    const std::vector<std::string>& grabberLog() const { return grabberLog_; }
    std::string queueText() const;

    // The frame's docking: the plug-in's window goes into the bottom strip or the side column.
    void dock(KxHwnd window, int position);

private:
    class Frame;
    void fillWorklist();
    void logGrabber(const std::string& line);

    WorkstationSite& site_;
    ClinicalModule& module_;
    std::shared_ptr<Frame> frame_;
    std::vector<int32_t> applyNos_;
    int captures_ = 0;
    std::vector<std::string> grabberLog_;

    QListWidget* worklist_ = nullptr;
    QLabel* queueLabel_ = nullptr;
    QLabel* grabberLabel_ = nullptr;
    QWidget* sideDock_ = nullptr;
    QWidget* bottomDock_ = nullptr;
    std::unique_ptr<platform::MessageWindow> grabber_;
    std::unique_ptr<platform::MessageWindow> queue_;
    // Kept loaded: the plug-in asks the same library for the queue window.
    platform::SharedLibrary queuePicker_;
    bool started_ = false;
};

}  // namespace kadrix::workstation
