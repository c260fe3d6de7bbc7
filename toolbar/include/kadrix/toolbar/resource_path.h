// Where toolbar pictures are found: the host's resource folder, and the paths composed in it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kadrix::toolbar {

// Composed paths are held to this many bytes, so every path fits the 256-byte buffers hosts
// keep for them.
inline constexpr std::size_t kMaxResourcePathBytes = 255;

// The host's resource folder without a trailing "/": KADRIX_RES_PATH when set and not empty,
// else the folder "res" beside the host program. Read on every call.
std::string resourceFolder();

// resourceFolder + "/" + folder + "/" + name (an empty folder gives "//", which the file system
// accepts). Nothing when the path would be longer than kMaxResourcePathBytes or name is null; a
// null folder is the empty folder.
std::optional<std::string> resourcePath(const std::string& resourceFolder, const char* folder,
                                        const char* name);

}  // namespace kadrix::toolbar
