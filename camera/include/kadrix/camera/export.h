// Symbol visibility of libkadrix_camera: everything is hidden unless marked.
#pragma once

#define KX_CAMERA_API __attribute__((visibility("default")))
