#include "host/ModuleLifecycle.h"

#include "ui/KadrixUnit.h"

namespace kadrix::clinical {

int32_t CreateCount = 0;

namespace {
// The archive server is released when the library goes; the module's own service instances go
// with their holder, a static of the library.
struct LibraryLifetime {
    ~LibraryLifetime() {
        if (frmKadrix) frmKadrix->archive.reset();
    }
} lifetime;
}  // namespace

void createKadrix(KxHwnd grabber) {
    CreateCount += 1;
    if (!frmKadrix) {
        frmKadrix = new TfrmKadrix;
        frmKadrix->show();
    } else {
        frmKadrix->common->setUserParam("ApplyNo", std::to_string(frmKadrix->ApplyNo));
    }
    if (grabber != 0) frmKadrix->GrabHandle = grabber;
    frmKadrix->mainList.OnSelect = [](const std::string& path) {
        if (frmKadrix) frmKadrix->imageSelected(path);
    };
    frmKadrix->mainList.OnItemDblClick = [](int) {};
}

void freeKadrix() {
    CreateCount -= 1;
    if (CreateCount > 0) return;
    if (!frmKadrix) return;
    frmKadrix->archive.reset();
    TfrmKadrix* window = frmKadrix;
    frmKadrix = nullptr;
    delete window;
}

}  // namespace kadrix::clinical
