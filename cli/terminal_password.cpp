#include "cli/terminal_password.h"

#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace hv::cli {

std::optional<QString> TerminalPassword::ask(const QString& address)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    QTextStream(stderr) << QStringLiteral("Password for the database server of %1: ").arg(address) << Qt::flush;
    termios shown{};
    tcgetattr(STDIN_FILENO, &shown);
    termios hidden = shown;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    tcsetattr(STDIN_FILENO, TCSANOW, &shown);
    QTextStream(stderr) << "\n" << Qt::flush;
    if (!read)
        return std::nullopt;
    return QString::fromStdString(line);
}

}  // namespace hv::cli
