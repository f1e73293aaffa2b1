#include "platform/win32/ioerror.h"

#include <windows.h>

#include "text/error.h"

namespace platform::win32 {

namespace {

int IoCodeOfSystemError(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return kIoFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
            return kIoBadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return kIoTooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return kIoAccessDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return kIoDiskFull;
        default:
            return -1;
    }
}

}  // namespace

std::string IoMessageOfSystemError(unsigned long code) {
    const int ioCode = IoCodeOfSystemError(code);
    if (ioCode < 0) return "I/O エラー (" + std::to_string(code) + ")";
    return IoMessage(ioCode);
}

void ThrowIoError(unsigned long code, const std::string& path) {
    throw Error(IoMessageOfSystemError(code), path, static_cast<int>(code));
}

}  // namespace platform::win32
