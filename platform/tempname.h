// Names for the temporary file beside a target, on both systems.
#pragma once

#include <random>
#include <string>

#include "text/names.h"

namespace platform::detail {

// Yields candidate paths `.l2q` + 8 random letters + `.tmp` in the target's
// folder: short, so that one fits wherever the target's name fits, and new
// on each call, for the next try when a name is taken.
class TemporaryNames {
  public:
    explicit TemporaryNames(const std::string& target)
        : folder_(FolderOf(target)), random_(std::random_device{}()) {}

    std::string Next() {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string name = ".l2q";
        for (int i = 0; i < 8; ++i)
            name += kLetters[random_() % (sizeof kLetters - 1)];
        return folder_ + name + ".tmp";
    }

    // Tries before giving up on a folder where every name seems taken.
    static constexpr int kAttempts = 100;

  private:
    std::string folder_;
    std::mt19937 random_;
};

}  // namespace platform::detail
