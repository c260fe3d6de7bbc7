// Symbol visibility of the toolbar library: everything is hidden unless marked.
#pragma once

#define KX_TOOLBAR_API __attribute__((visibility("default")))
