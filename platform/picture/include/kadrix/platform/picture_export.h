/* Symbol visibility of the picture layer: everything is hidden unless marked. */
#pragma once

#if defined(KADRIX_PICTURE_BUILD)
#define KX_PICTURE_API __attribute__((visibility("default")))
#else
#define KX_PICTURE_API
#endif
