#pragma once

#include <QString>
#include <optional>

namespace hv::fs {

// The checks a file the user names goes through before a command or a menu
// item reads it: it exists, it is a regular file (not a folder, pipe, device or
// socket, which is named), and it is not the live database itself.
// Returns the reason when it fails them.
class FileArgument {
public:
    static std::optional<QString> problemWith(const QString& file, const QString& liveDatabase);

    // True when both paths name the same file.
    static bool isLiveDatabase(const QString& file, const QString& liveDatabase);
};

}  // namespace hv::fs
