#include "gui/errortext.h"

#include "text/names.h"

std::string ErrorBoxMessage(const ShownError& error) {
    std::string text = error.message;
    // Every byte of a character outside ASCII sorts after '.', so the last
    // byte decides as the last character would.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    if (!error.path.empty()) text += "\n" + error.path;
    return text;
}

std::string ProgramNameOf(const std::string& programPath) {
    const std::string name = FileNameOf(programPath);
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}
