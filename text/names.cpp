#include "text/names.h"

std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        n += IsUtf8ContinuationByte(c) ? 0 : 1;
    return n;
}

std::string Utf8Substr(std::string_view text, std::size_t first, std::size_t count) {
    std::size_t begin = 0, index = 0;
    for (; begin < text.size(); ++begin) {
        if (IsUtf8ContinuationByte(text[begin])) continue;
        if (index++ == first) break;
    }
    std::size_t end = begin, taken = 0;
    while (end < text.size()) {
        if (!IsUtf8ContinuationByte(text[end]) && taken++ == count) break;
        ++end;
    }
    return std::string(text.substr(begin, end - begin));
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

namespace {

std::size_t LastDelimiter(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1])) return i - 1;
    return std::string::npos;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const auto slash = LastDelimiter(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const auto slash = LastDelimiter(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ForceExtension(const std::string& path, std::string_view extension) {
    const auto slash = LastDelimiter(path);
    const auto dot = path.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExt ? path.substr(0, dot) : path) + std::string(extension);
}

std::string DataNumberOfFileName(const std::string& name) {
    if (Utf8Length(name) != 12) return {};
    return Utf8Substr(name, 4, 4);
}

std::string JoinWithCommas(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        if (!joined.empty()) joined += ", ";
        joined += text;
    }
    return joined;
}

char32_t DecodeUtf8(std::string_view text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b = byte(at);
    length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    bool broken = at + length > text.size() || (b >= 0x80 && b < 0xC0);
    for (std::size_t i = 1; !broken && i < length; ++i)
        broken = !IsUtf8ContinuationByte(text[at + i]);
    if (broken) {
        length = 1;
        return 0xFFFD;
    }
    if (length == 1) return b;
    char32_t c = b & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (byte(at + i) & 0x3F);
    return c;
}
