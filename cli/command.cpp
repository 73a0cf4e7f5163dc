#include "cli/command.h"

namespace hv::cli {

int CommandContext::fail(const QString& message) const
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    err << text << Qt::endl;
    return Failure;
}

}  // namespace hv::cli
