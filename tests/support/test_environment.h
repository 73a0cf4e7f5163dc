#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace hv::test {

// The folder that holds the built program and its template database.
QString programFolder();

// Sets the locale, paper and time zone every test starts from, whatever the
// machine's own: the C locale with UTF-8 text, Letter paper and UTC. A test of
// another locale or zone sets that one itself. Called once, before the
// application starts; the programs the tests start inherit it.
void pinLocaleAndPaper();

// The bytes of a file (none when it cannot be read), to check that something
// left it untouched.
QByteArray fileBytes(const QString& path);

// Writes a file of exactly these bytes, failing the test when it cannot;
// returns its path.
QString writeFile(const QString& path, const QByteArray& bytes);

// A fresh copy of the template database in a temporary folder, deleted with
// the object; path() is the database file.
class TemporaryDatabase {
public:
    TemporaryDatabase();
    QString path() const;
    QString folder() const;
    // The connection string that opens this file.
    QString connectionString() const;

private:
    QTemporaryDir m_dir;
};

// The values of a query's first column exactly as the database file holds
// them (the bytes of each text, empty for Null), read past the program's own
// layer with a read-only engine handle of its own.
QList<QByteArray> storedBytes(const QString& databasePath, const QByteArray& sql);

// Points XDG_DATA_HOME and XDG_CONFIG_HOME at new empty temporary folders for
// the life of the object (and back to the suite's own folders afterwards).
class IsolatedUserFolders {
public:
    IsolatedUserFolders();
    ~IsolatedUserFolders();
    QString dataHome() const;
    QString configHome() const;

private:
    QTemporaryDir m_data;
    QTemporaryDir m_config;
    QByteArray m_oldData;
    QByteArray m_oldConfig;
};

}  // namespace hv::test
