#include "tests/kit/programs.h"

std::vector<std::string> CsvRows(const std::string& bytes) {
    std::vector<std::string> rows;
    std::size_t from = 0;
    for (auto at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", from)) {
        rows.push_back(bytes.substr(from, at - from));
        from = at + 2;
    }
    if (from < bytes.size()) rows.push_back(bytes.substr(from));
    return rows;
}
