#pragma once

#include "cli/command.h"

namespace hv::cli {

// --revoke-access LOGIN: on the server database in use, takes a login out of
// both groups of rights; the login itself stays, the administrator's.
class RevokeAccessCommand : public Command {
public:
    QCommandLineOption option() const override;
    int run(const QString& value, CommandContext& context) override;
};

}  // namespace hv::cli
