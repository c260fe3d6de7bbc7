// The library's application object: its start-up only reports success; it holds no state of
// the library (the pictures belong to CKadrix).
#pragma once

class CKadrixApp {
  public:
    virtual ~CKadrixApp() = default;
    virtual bool InitInstance();
};
