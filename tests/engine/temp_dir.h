// Folders of a test's own: made under a prefix, removed with all they hold.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace temp_dir {

// A new folder named `prefix` plus six random characters ("/tmp/crqx-XXXXXX");
// empty when it cannot be made.
inline std::string make(const std::string& prefix) {
    std::string pattern = prefix + "-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    return made != nullptr ? made : "";
}

// Removes the folder and everything in it; true when nothing is left.
inline bool remove(const std::string& dir) {
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return !error;
}

}  // namespace temp_dir
