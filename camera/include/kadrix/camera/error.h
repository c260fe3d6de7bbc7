// Result codes and the exception of the camera library. Bit 0 set means failure; callers test
// that bit and must accept values outside the list (the raw decoder passes its own statuses on).
#pragma once

#include <cstdint>
#include <string>

#include "kadrix/camera/export.h"

// A fixed underlying type: any 32-bit status passed through is a valid value.
enum ERROR_T : std::int32_t {
    ERR_NONE = 0,
    ERR_FAILED = 1,
    ERR_ARGUMENT = 3,
    ERR_MEMORY = 5,
    ERR_MODULE = 7,
    ERR_UNEXPECTED = 0x21,
    ERR_NOT_READY = 0x23,
};

inline bool IsFailure(ERROR_T eResult) {
    return (static_cast<std::int32_t>(eResult) & 1) != 0;
}

// Created with new and thrown by pointer; whoever catches it reads it and deletes it.
class KX_CAMERA_API CException {
  public:
    CException(const char* pszMessage, ERROR_T eCode);
    virtual ~CException();

    // Never null; empty when the exception was made without a message.
    const char* GetMessage() const { return _strMessage.c_str(); }
    ERROR_T GetErrorCode() const { return _eCode; }

  private:
    std::string _strMessage;
    ERROR_T _eCode;
};
