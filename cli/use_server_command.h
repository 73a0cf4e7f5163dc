#pragma once

#include "cli/command.h"

namespace hv::cli {

// --use-server URI: connects to the server database, checks that it holds the
// program's tables in a version this program knows, and keeps the address
// (never a password) so that the program opens that database from now on.
class UseServerCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
