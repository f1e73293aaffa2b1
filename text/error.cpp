#include "text/error.h"

#include <new>
#include <stdexcept>

std::string IoMessage(int ioCode) {
    switch (ioCode) {
        case kIoFileNotFound:
            return "ファイルが見つかりません";
        case kIoBadPath:
            return "ファイル名の指定が間違っています";
        case kIoTooManyOpenFiles:
            return "オープンしたファイルが多すぎます";
        case kIoAccessDenied:
            return "ファイルへのアクセスが拒否されました";
        case kIoReadPastEnd:
            return "ファイルの末尾以降を読み込みました";
        case kIoDiskFull:
            return "ディスクがいっぱいです";
        default:
            return "I/O エラー (" + std::to_string(ioCode) + ")";
    }
}

ShownError DescribeCurrentException() {
    try {
        throw;
    } catch (const Error& e) {
        return {e.Message(), e.Path()};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemoryMessage, {}};
    } catch (const std::length_error&) {
        // A container asked for more than it can ever hold.
        return {kOutOfMemoryMessage, {}};
    } catch (...) {
        return {"予期しないエラーが発生しました", {}};
    }
}
