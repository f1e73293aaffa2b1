#include "common/csvfile.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "common/ioerror.h"
#include "common/names.h"

namespace {

std::string Convert(std::string_view input, const char* to, const char* from) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("文字コード変換を開始できません: ") + from + " → " +
                                 to);
    std::string out(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            const std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        ::iconv_close(cd);
        // Name the character that could not be converted.
        std::size_t len = 1;
        while (len < inLeft && len < 4 && IsUtf8ContinuationByte(in[len]))
            ++len;
        throw std::runtime_error("Shift-JIS に変換できない文字があります: " +
                                 std::string(in, std::min(len, inLeft)));
    }
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowInOutError(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);  // code page 932 keeps ASCII as it is
    return Convert(utf8, "CP932", "UTF-8");
}

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) return std::string(cp932);
    return Convert(cp932, "UTF-8", "CP932");
}

void WriteCsvFile(const std::string& path, const CsvLines& lines) {
    const std::string bytes = Utf8ToCp932(lines.text);

    std::string temp = FolderOf(path) + "." + FileNameOf(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        // A folder that does not exist is a bad path, not a missing file.
        ThrowInOutError(errno == ENOENT ? ENOTDIR : errno);
    }
    bool open = true;
    try {
        // A replaced file keeps its permissions; a new one gets the usual ones.
        struct stat st {};
        mode_t mode;
        if (::stat(path.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        if (::fchmod(fd, mode) != 0) ThrowInOutError(errno);
        WriteAll(fd, bytes);
        if (::fsync(fd) != 0) ThrowInOutError(errno);
        open = false;
        if (::close(fd) != 0) ThrowInOutError(errno);
    } catch (...) {
        if (open) ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        ThrowInOutError(err);
    }
}

std::string ChangeExtToCsv(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExt ? path.substr(0, dot) : path) + ".csv";
}
