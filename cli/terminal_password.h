#pragma once

#include <QString>
#include <optional>

namespace hv::cli {

// A password asked for on the terminal, without showing what is typed.
class TerminalPassword {
public:
    // Nothing when standard input is not a terminal (a command run by a
    // script gives its password through libpq's password file instead) or
    // the user ends the input.
    static std::optional<QString> ask(const QString& address);
};

}  // namespace hv::cli
