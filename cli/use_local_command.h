#pragma once

#include "cli/command.h"

namespace hv::cli {

// --use-local: the program opens the local database file again from now on.
class UseLocalCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
