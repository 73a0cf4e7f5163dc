#pragma once

#include "cli/command.h"

namespace hv::cli {

// --init-server URI: creates the program's tables and stored queries in an
// empty database on a PostgreSQL server; refused when any of them exists.
class InitServerCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
