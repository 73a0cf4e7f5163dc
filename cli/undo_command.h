#pragma once

#include "cli/command.h"

namespace hv::cli {

// --undo: takes back the newest change not yet undone (on a server: the
// newest of this login), as the window's Undo does, and says which.
class UndoCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
