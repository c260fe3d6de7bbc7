// Symbol visibility of the platform runtime: everything is hidden unless marked.
#pragma once

#if defined(KADRIX_PLATFORM_BUILD)
#define KX_PLATFORM_API __attribute__((visibility("default")))
#else
#define KX_PLATFORM_API
#endif
