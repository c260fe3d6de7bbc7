#include "kadrix/toolbar/kadrix_app.h"

bool CKadrixApp::InitInstance() {
    return true;
}

namespace {

// The one application object, started when the library is loaded.
CKadrixApp theApp;
const bool started = theApp.InitInstance();

}  // namespace
