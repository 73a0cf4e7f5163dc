#pragma once

#include "cli/command.h"

namespace hv::cli {

// --use-local: the program opens the local database file (in the standard
// data folder) again from now on.
class UseLocalCommand : public Command {
public:
    QCommandLineOption option() const override;
    std::optional<QString> refusalWithDataFolder() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
