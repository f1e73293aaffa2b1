#include "platform/posix/ioerror.h"

#include <cerrno>

#include "text/error.h"

namespace platform::posix {

namespace {

int IoCodeOfErrno(int err) {
    switch (err) {
        case ENOENT:
            return kIoFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR:
        case ELOOP:
            return kIoBadPath;
        case EMFILE:
        case ENFILE:
            return kIoTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return kIoAccessDenied;
        case ENOSPC:
        case EDQUOT:
            return kIoDiskFull;
        default:
            return -1;
    }
}

}  // namespace

std::string IoMessageOfErrno(int err) {
    const int code = IoCodeOfErrno(err);
    if (code < 0) return "I/O エラー (" + std::to_string(err) + ")";
    return IoMessage(code);
}

void ThrowIoError(int err, const std::string& path) {
    throw Error(IoMessageOfErrno(err), path, err);
}

}  // namespace platform::posix
