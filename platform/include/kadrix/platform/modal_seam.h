// Every modal question a program asks (message boxes, folder, file and colour choosers, modal
// windows) goes through one handler. Programs run with the Qt dialogs; tests and headless runs
// install a scripted handler that answers from a queue and records what was asked.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kadrix/platform/export.h"

class QWidget;

namespace kadrix::platform {

struct ModalQuestion {
    enum class Kind { Information, Warning, Confirm, ConfirmEx, ChooseFolder, OpenFile, SaveFile, ChooseColor, Window };
    Kind kind = Kind::Information;
    std::string text;     // the message, or the chooser's caption
    std::string initial;  // folder or file to start from
    std::string filter;   // file chooser filter ("Pictures (*.jpg *.bmp)")
    uint32_t color = 0;   // colour chooser's start colour (red in the low byte)
    QWidget* window = nullptr;  // the modal window to run (Kind::Window)
};

// Answers: message boxes give `code` (Confirm: 1 yes, 0 no; ConfirmEx: 6 yes, 7 no, 2 cancel);
// choosers give `accepted` with `text` (a path) or `color`; a modal window gives its result code.
struct ModalAnswer {
    int code = 0;
    bool accepted = false;
    std::string text;
    uint32_t color = 0;
};

class KX_PLATFORM_API ModalHandler {
public:
    virtual ~ModalHandler();
    virtual ModalAnswer answer(const ModalQuestion& question) = 0;
};

// Asks through the installed handler (the Qt dialogs when none was installed).
KX_PLATFORM_API ModalAnswer askModal(const ModalQuestion& question);
// Installs a handler; returns the one it replaces. Null restores the Qt dialogs.
KX_PLATFORM_API std::shared_ptr<ModalHandler> setModalHandler(std::shared_ptr<ModalHandler> handler);

// The Qt dialogs: QMessageBox, QFileDialog, QColorDialog, QDialog::exec.
class KX_PLATFORM_API QtModalHandler : public ModalHandler {
public:
    ModalAnswer answer(const ModalQuestion& question) override;
};

// Answers from a queue, in order; an unscripted question gets the refusing answer (code 0,
// not accepted; 2 for ConfirmEx; a message box its only button, code 1). Every question is
// recorded with its answer.
class KX_PLATFORM_API ScriptedModalHandler : public ModalHandler {
public:
    struct Exchange {
        ModalQuestion::Kind kind;
        std::string text;
        ModalAnswer answer;
    };
    void push(ModalAnswer answer);
    void pushCode(int code) { push(ModalAnswer{code, code != 0, {}, 0}); }
    void pushPath(std::string path) { push(ModalAnswer{1, true, std::move(path), 0}); }
    ModalAnswer answer(const ModalQuestion& question) override;
    std::vector<Exchange> asked() const;
    std::vector<std::string> texts() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<ModalAnswer> script_;
    std::vector<Exchange> asked_;
};

}  // namespace kadrix::platform
