// CFileHandler: base of the decoders. Owns a path buffer and a file descriptor, opens and closes
// files, and composes paths: the host executable's, and a companion library's in the folder of
// the module whose handle the host published in shared memory. Paths use "/" as separator.
#pragma once

#include "kadrix/camera/error.h"
#include "kadrix/camera/export.h"

class KX_CAMERA_API CFileHandler {
  public:
    // Capacity of every path buffer, terminator included. Longer paths are refused.
    static constexpr int PATH_CAPACITY = 260;

    CFileHandler();  // throws CException* when the path buffer cannot be allocated
    // Copies own their buffers; an open descriptor is duplicated, so each copy closes its own.
    CFileHandler(const CFileHandler& other);
    CFileHandler& operator=(const CFileHandler& other);
    virtual ~CFileHandler();

    ERROR_T Open(const char* path, int oflag);
    ERROR_T Open(const char* path, int oflag, int pmode);
    ERROR_T Close();

    // Traces the executable's path and file name; the two arguments are not written (their
    // capacity is unknown).
    ERROR_T GetFullPath(char* pszFullPath, char* pszFileName);
    // _pszFullPath becomes the executable's path.
    void GetFullPath();
    // _pszFullPath becomes pParameter in the folder of the published module.
    void GetFullPath(const char* pParameter);
    // Points _pszFileName at the file-name part of _pszFullPath again; the argument is unused.
    void GetFileName(const char* pUnused);
    char* GetFileName();

    void SetFullPath(char* pszFullPath);  // throws CException*
    void SetFileName(char* pszFileName);  // throws CException*; replaces the file-name part

  protected:
    int _nHandle;
    char* _pszFullPath;
    char* _pszFileName;

  private:
    // Copy of the path given to Open: _pszFileName points into it after Open, so a later
    // SetFileName never writes into the caller's string.
    char* _pszOpenedPath;

    ERROR_T OpenFile(const char* path, int oflag, bool withMode, int pmode);
    void CopyFrom(const CFileHandler& other);
    void Release();
};
