#include "common/ioerror.h"

#include <cerrno>

InOutError::InOutError(int code) : std::runtime_error(InOutMessage(code)), code_(code) {}

std::string InOutMessage(int code) {
    switch (code) {
        case 2:
            return "ファイルが見つかりません";
        case 3:
            return "ファイル名の指定が間違っています";
        case 4:
            return "オープンしたファイルが多すぎます";
        case 5:
            return "ファイルへのアクセスが拒否されました";
        case 100:
            return "ファイルの末尾以降を読み込みました";
        case 101:
            return "ディスクがいっぱいです";
        default:
            return "I/O エラー (" + std::to_string(code) + ")";
    }
}

int InOutCodeFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
            return 5;
        case ENOSPC:
        case EDQUOT:
            return 101;
        default:
            return -1;
    }
}

void ThrowInOutError(int err) {
    const int code = InOutCodeFromErrno(err);
    // errno numbers overlap the platform codes (EIO is 5), so an unmapped
    // errno never goes through the table of fixed texts.
    if (code < 0) throw InOutError(err, "I/O エラー (" + std::to_string(err) + ")");
    throw InOutError(code);
}
