#pragma once

#include "cli/command.h"

namespace hv::cli {

// --history: the changes the database's journal keeps, newest first, one a
// line: when (ISO 8601, local time), who (the login on a server, the
// system's user for a local file) and what, separated by tabs; a change that
// is undone says so after what it was.
class HistoryCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
