#pragma once

#include <QString>

namespace hv::database {

// The live database file of a data folder, the one place that turns the
// folder into it: the file's path, the connection string that opens it (or
// any other database file of the program), and its making from the empty
// template, which is checked thoroughly first. Made from the data folder each
// time it is needed, as every path is.
class LocalDatabase {
public:
    // The live database of this run's data folder.
    LocalDatabase();
    explicit LocalDatabase(QString dataFolder);

    QString dataFolder() const { return m_dataFolder; }
    QString path() const;
    // The string that opens it; the path is quoted, so that a folder with
    // ';', '=', quotes or blanks at its ends is read back whole.
    QString connectionString() const;
    static QString connectionStringOf(const QString& databaseFile);

    // Makes the data folder when it is missing and the database from the
    // template. A database is made only from a sound template and never over
    // a file that is there; raises a RuntimeError that says why.
    void create() const;
    // The template, checked thoroughly, copied to a file that must not exist yet.
    static void copyTemplateTo(const QString& destination);

private:
    QString m_dataFolder;
};

}  // namespace hv::database
