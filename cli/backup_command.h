#pragma once

#include "cli/command.h"

namespace hv::cli {

// --backup [FILE]: writes a backup of the current database now, to FILE (a
// new file, or a folder to write a dated copy into) or into the backups
// folder, which is then rotated.
class BackupCommand : public Command {
public:
    QCommandLineOption option() const override;
    bool takesFileArgument() const override { return true; }
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
