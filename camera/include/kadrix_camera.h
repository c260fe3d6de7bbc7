// libkadrix_camera: JPEG and camera-raw decoding, luma/chroma statistics, trace log "ZelDll.log".
#pragma once

#include "kadrix/camera/error.h"
#include "kadrix/camera/file_handler.h"
#include "kadrix/camera/jpeg_manager.h"
#include "kadrix/camera/module_handle.h"
#include "kadrix/camera/shared_memory.h"
#include "kadrix/camera/vrel_manager.h"
