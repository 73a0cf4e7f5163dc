#pragma once

#include "cli/command.h"

namespace hv::cli {

// --export FILE: writes every entry as CSV (a header row, then one row per
// entry: ID, employee name, date in ISO 8601, work code, hours with a point,
// billable, description), to FILE or, for "-", to standard output; a FILE
// named *.xlsx gets a spreadsheet instead. The file is written whole or not
// at all.
class ExportCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
