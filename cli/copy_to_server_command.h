#pragma once

#include "cli/command.h"

namespace hv::cli {

// --copy-to-server URI: copies the local database into an empty database on a
// PostgreSQL server in one transaction, keeping every ID.
class CopyToServerCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
