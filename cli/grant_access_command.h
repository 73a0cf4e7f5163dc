#pragma once

#include "cli/command.h"

namespace hv::cli {

// --grant-access LOGIN editor|reader: on the server database in use, puts a
// login into the group that may change hours or into the one that may only
// read them (and out of the other); the groups are made where missing.
class GrantAccessCommand : public Command {
public:
    QCommandLineOption option() const override;
    QString argumentName() const override { return QStringLiteral("editor|reader"); }
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
