#pragma once

#include "cli/command.h"

namespace hv::cli {

// --restore FILE: puts a backup (any database file of this program) in place
// of the current database, after a backup of it; refused while another copy
// of the program uses the database.
class RestoreCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
