// hourvane_test_row_writer <database file> <first number>
//
// Writes rows numbered from <first number> on into the work codes, one
// statement each through the program's connection, and prints each number on
// a line of its own once its statement has returned: a number printed is a
// write reported done. Runs until it is killed; exit status 1 when the
// database cannot be opened or a write is refused.
#include "data/connection.h"
#include "core/runtime_error.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: hourvane_test_row_writer <database file> <first number>\n", stderr);
        return 2;
    }
    try {
        hv::data::Connection connection;
        connection.Open(QStringLiteral("data source=") + hv::data::Connection::quoted(QString::fromLocal8Bit(argv[1])));
        for (long number = std::atol(argv[2]);; ++number) {
            connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('row %1',FALSE)")
                                   .arg(number));
            std::printf("%ld\n", number);
            std::fflush(stdout);
        }
    } catch (const hv::RuntimeError& error) {
        std::fprintf(stderr, "hourvane_test_row_writer: %s\n", error.what());
        return 1;
    }
}
