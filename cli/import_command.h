#pragma once

#include "cli/command.h"

namespace hv::cli {

// --import FILE: imports an old-format database file into the current
// database (made from the template first when there is none), after a
// backup of it, and prints the summary.
class ImportCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
