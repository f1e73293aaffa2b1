// What the error box of either window says about an error that escaped a
// command, apart from how each toolkit shows it.
#pragma once

#include <string>

#include "text/error.h"

// The message with a full stop added when its last character sorts after
// '.', then the path on a line of its own (after '\n') when there is one.
std::string ErrorBoxMessage(const ShownError& error);

// The box's caption: the program file's name without its folder and
// extension.
std::string ProgramNameOf(const std::string& programPath);
