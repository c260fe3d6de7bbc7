// kadrix-workstation: the reference radiology workstation that hosts the image manager plug-in.
//
//   kadrix-workstation [--site FOLDER] [--script FILE] [--fresh]
//
// The site folder holds the clinic database, the archive and the configuration; it is made with
// today's demo patients on first start. Without a display the program runs offscreen and answers
// every question with its default; with --script it runs the script, then quits.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "ClinicalModule.h"
#include "WorkstationScript.h"
#include "WorkstationWindow.h"
#include "kadrix/platform/modal_seam.h"

using namespace kadrix;
namespace fs = std::filesystem;

namespace {
struct Options {
    fs::path site;
    std::string script;
    bool fresh = false;
};

Options parse(const QStringList& args) {
    Options o;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    o.site = fs::path((data.isEmpty() ? QDir::homePath() : data).toStdString()) / "kadrix" / "workstation";
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--site" && i + 1 < args.size()) o.site = args[++i].toStdString();
        else if (args[i] == "--script" && i + 1 < args.size()) o.script = args[++i].toStdString();
        else if (args[i] == "--fresh") o.fresh = true;
    }
    return o;
}
}  // namespace

int main(int argc, char** argv) {
    const bool headless = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options options = parse(app.arguments());
    const bool scripted = !options.script.empty();
    if (headless || scripted) platform::setModalHandler(std::make_shared<platform::ScriptedModalHandler>());

    std::error_code ec;
    // Only a site is started anew: a folder that holds a site's configuration, or nothing.
    if (options.fresh && fs::exists(options.site, ec)) {
        if (!fs::exists(options.site / "workstation.ini", ec) && !fs::is_empty(options.site, ec)) {
            std::fprintf(stderr, "kadrix-workstation: %s is no workstation site; --fresh leaves it alone\n",
                         options.site.c_str());
            return 1;
        }
        fs::remove_all(options.site, ec);
    }
    const bool firstStart = !fs::exists(options.site / "workstation.ini");
    workstation::SiteOptions siteOptions;
    siteOptions.demoContent = firstStart;
    auto site = workstation::WorkstationSite::open(options.site, siteOptions);
    if (!site) {
        std::fprintf(stderr, "kadrix-workstation: %s\n", site.message().c_str());
        return 1;
    }
    workstation::ClinicalModule module;
    if (platform::Status loaded = module.load(); !loaded) {
        std::fprintf(stderr, "kadrix-workstation: %s\n", loaded.message().c_str());
        return 1;
    }

    int status = 0;
    {
        workstation::WorkstationWindow window(**site, module);
        window.show();
        window.startModule();
        if (scripted) {
            QFile file(QString::fromStdString(options.script));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "kadrix-workstation: cannot read %s\n", options.script.c_str());
                return 1;
            }
            auto commands = workstation::parseScript(file.readAll().toStdString());
            const platform::Status ran = commands ? workstation::runScript(*commands, window) : commands.status();
            if (!ran) {
                std::fprintf(stderr, "kadrix-workstation: %s\n", ran.message().c_str());
                status = 1;
            }
        } else {
            status = app.exec();
        }
        window.stopModule();
    }
    return status;
}
