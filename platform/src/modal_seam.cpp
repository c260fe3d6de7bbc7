#include "kadrix/platform/modal_seam.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace kadrix::platform {
namespace {

std::mutex& handlerMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<ModalHandler>& currentHandler() {
    static std::shared_ptr<ModalHandler> h;
    return h;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

ModalHandler::~ModalHandler() = default;

ModalAnswer askModal(const ModalQuestion& question) {
    std::shared_ptr<ModalHandler> handler;
    {
        std::lock_guard lock(handlerMutex());
        handler = currentHandler();
    }
    if (!handler) {
        static QtModalHandler qt;
        return qt.answer(question);
    }
    return handler->answer(question);
}

std::shared_ptr<ModalHandler> setModalHandler(std::shared_ptr<ModalHandler> handler) {
    std::lock_guard lock(handlerMutex());
    std::swap(currentHandler(), handler);
    return handler;
}

ModalAnswer QtModalHandler::answer(const ModalQuestion& question) {
    using K = ModalQuestion::Kind;
    ModalAnswer a;
    switch (question.kind) {
        case K::Information: QMessageBox::information(nullptr, QString(), q(question.text)); a.code = 1; break;
        case K::Warning: QMessageBox::warning(nullptr, QString(), q(question.text)); a.code = 1; break;
        case K::Confirm:
            a.code = QMessageBox::question(nullptr, QString(), q(question.text)) == QMessageBox::Yes ? 1 : 0;
            break;
        case K::ConfirmEx: {
            const auto b = QMessageBox::question(nullptr, QString(), q(question.text),
                                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            a.code = b == QMessageBox::Yes ? 6 : b == QMessageBox::No ? 7 : 2;
            break;
        }
        case K::ChooseFolder: a.text = QFileDialog::getExistingDirectory(nullptr, q(question.text), q(question.initial)).toStdString(); break;
        case K::OpenFile:
            a.text = QFileDialog::getOpenFileName(nullptr, q(question.text), q(question.initial), q(question.filter)).toStdString();
            break;
        case K::SaveFile:
            a.text = QFileDialog::getSaveFileName(nullptr, q(question.text), q(question.initial), q(question.filter)).toStdString();
            break;
        case K::ChooseColor: {
            const uint32_t c = question.color;
            const QColor chosen = QColorDialog::getColor(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
            if (chosen.isValid()) {
                a.accepted = true;
                a.color = static_cast<uint32_t>(chosen.red()) | static_cast<uint32_t>(chosen.green()) << 8 |
                          static_cast<uint32_t>(chosen.blue()) << 16;
            }
            return a;
        }
        case K::Window: {
            auto* dialog = qobject_cast<QDialog*>(question.window);
            a.code = dialog ? dialog->exec() : 0;
            a.accepted = a.code == QDialog::Accepted;
            return a;
        }
    }
    if (question.kind == K::ChooseFolder || question.kind == K::OpenFile || question.kind == K::SaveFile)
        a.accepted = !a.text.empty();
    return a;
}

void ScriptedModalHandler::push(ModalAnswer answer) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(answer));
}

ModalAnswer ScriptedModalHandler::answer(const ModalQuestion& question) {
    std::lock_guard lock(mutex_);
    ModalAnswer a;
    if (!script_.empty()) {
        a = std::move(script_.front());
        script_.pop_front();
    } else if (question.kind == ModalQuestion::Kind::ConfirmEx) {
        a.code = 2;  // cancel
    } else if (question.kind == ModalQuestion::Kind::Information || question.kind == ModalQuestion::Kind::Warning) {
        a.code = 1;  // a message box only has its OK button
    }
    asked_.push_back({question.kind, question.text, a});
    return a;
}

std::vector<ScriptedModalHandler::Exchange> ScriptedModalHandler::asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

std::vector<std::string> ScriptedModalHandler::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> t;
    for (const auto& e : asked_) t.push_back(e.text);
    return t;
}

void ScriptedModalHandler::clear() {
    std::lock_guard lock(mutex_);
    script_.clear();
    asked_.clear();
}

}  // namespace kadrix::platform
