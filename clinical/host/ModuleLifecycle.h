// Creation and destruction of the module singleton, counted across CreateKadrix and FreeKadrix.
#pragma once

#include <cstdint>

#include "kadrix/platform/messages.h"

namespace kadrix::clinical {

extern int32_t CreateCount;

void createKadrix(KxHwnd grabber);
void freeKadrix();

}  // namespace kadrix::clinical
