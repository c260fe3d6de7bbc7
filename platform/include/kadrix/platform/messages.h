// Window handles and messages. A window object registers itself and gets a handle, a nonzero
// integer that is never reused in the process. A message sent to a handle is handled at once
// and its result returned; a posted message is queued and delivered by the Qt event loop on
// the user-interface thread, or dropped when its window is destroyed before delivery.
#pragma once

#include <stdint.h>

#include "kadrix/platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t KxHwnd;
typedef uintptr_t KxWParam;
typedef intptr_t KxLParam;
typedef intptr_t KxLResult;

// The handler's result; 0 for a handle that names no window.
KX_PLATFORM_API KxLResult kx_send_message(KxHwnd window, uint32_t message, KxWParam wParam,
                                          KxLParam lParam);
// 1 when queued; 0 for a handle that names no window or when no event loop exists.
KX_PLATFORM_API int kx_post_message(KxHwnd window, uint32_t message, KxWParam wParam,
                                    KxLParam lParam);
KX_PLATFORM_API int kx_is_window(KxHwnd window);

#ifdef __cplusplus
}  // extern "C"

namespace kadrix::platform {

// System messages and commands that keep their platform numbers.
namespace msg {
inline constexpr uint32_t Close = 0x0010;
inline constexpr uint32_t NcLButtonDown = 0x00A1;
inline constexpr uint32_t SysCommand = 0x0112;
inline constexpr uint32_t User = 0x0400;
}  // namespace msg

namespace syscmd {
inline constexpr KxWParam Minimize = 0xF020;
inline constexpr KxWParam Maximize = 0xF030;
inline constexpr KxWParam Close = 0xF060;
inline constexpr KxWParam Restore = 0xF120;
}  // namespace syscmd

struct Message {
    uint32_t id = 0;
    KxWParam wParam = 0;
    KxLParam lParam = 0;
};

inline KxLResult sendMessage(KxHwnd window, uint32_t id, KxWParam w = 0, KxLParam l = 0) {
    return kx_send_message(window, id, w, l);
}
inline bool postMessage(KxHwnd window, uint32_t id, KxWParam w = 0, KxLParam l = 0) {
    return kx_post_message(window, id, w, l) != 0;
}
inline bool isWindow(KxHwnd window) { return kx_is_window(window) != 0; }

}  // namespace kadrix::platform
#endif
