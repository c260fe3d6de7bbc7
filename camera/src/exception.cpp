#include "kadrix/camera/error.h"

CException::CException(const char* pszMessage, ERROR_T eCode)
    : _strMessage(pszMessage ? pszMessage : ""), _eCode(eCode) {}

CException::~CException() = default;
