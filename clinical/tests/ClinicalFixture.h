// A workstation site in a temporary folder, its services registered, and every modal question
// answered from a script: what the module's tests run against.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "host/ModuleLifecycle.h"
#include "kadrix/clinical.h"
#include "kadrix/platform/host_string.h"
#include "kadrix/platform/modal_seam.h"
#include "kadrix/platform/wide_string.h"
#include "kadrix/workstation/workstation_site.h"
#include "ui/KadrixUnit.h"

namespace kadrix::testing {

namespace fs = std::filesystem;

inline platform::HostString host(const std::string& utf8) { return *platform::HostString::fromUtf8(utf8); }
inline platform::WideString wide(const std::string& utf8) { return *platform::WideString::fromUtf8(utf8); }

class ClinicalTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-clinical-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("KADRIX_REGISTRY", (root_ / "registry.json").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        prompts = std::make_shared<platform::ScriptedModalHandler>();
        previous_ = platform::setModalHandler(prompts);
        auto site = workstation::WorkstationSite::open(root_ / "site");
        ASSERT_TRUE(site.ok()) << site.message();
        this->site = std::move(site).value();
        frame = std::make_shared<workstation::RecordingFrame>();
        this->site->setFrame(frame);
    }

    void TearDown() override {
        while (clinical::frmKadrix) FreeKadrix();
        clinical::CreateCount = 0;
        clinical::moduleServices().release();  // the next test has a site of its own
        site.reset();
        platform::setModalHandler(previous_);
        ::unsetenv("KADRIX_REGISTRY");
        ::unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Stores a module setting as the host's store holds it.
    void storeSetting(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(site->database()->setSetting(section, key, value).ok());
    }
    std::string storedSetting(const std::string& section, const std::string& key) {
        return *site->database()->setting(section, key);
    }

    std::string tempPath() {
        KxWideString result = nullptr;
        GetTempPath(&result);
        const std::string path = *platform::wideToUtf8(result);
        kx_wstr_free(result);
        return path;
    }

    fs::path root_;
    std::unique_ptr<workstation::WorkstationSite> site;
    std::shared_ptr<workstation::RecordingFrame> frame;
    std::shared_ptr<platform::ScriptedModalHandler> prompts;

private:
    std::shared_ptr<platform::ModalHandler> previous_;
};

}  // namespace kadrix::testing
