#include "support/test_environment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace hv::test {

QString programFolder()
{
    return QStringLiteral(HOURVANE_TEST_PROGRAM_DIR);
}

TemporaryDatabase::TemporaryDatabase()
{
    const QString source = programFolder() + QStringLiteral("/dbBlank.mdb");
    if (!QFile::copy(source, path()))
        ADD_FAILURE() << "cannot copy the template " << source.toStdString();
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString TemporaryDatabase::path() const
{
    return m_dir.filePath(QStringLiteral("dbData.mdb"));
}

QString TemporaryDatabase::folder() const
{
    return m_dir.path();
}

QString TemporaryDatabase::connectionString() const
{
    return QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + path()
        + QStringLiteral(";JET OLEDB:Database Password=");
}

IsolatedUserFolders::IsolatedUserFolders()
    : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    // QSettings reads the configuration folder once per process; point it here.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
}

IsolatedUserFolders::~IsolatedUserFolders()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLocal8Bit(m_oldConfig));
}

QString IsolatedUserFolders::dataHome() const
{
    return m_data.path();
}

QString IsolatedUserFolders::configHome() const
{
    return m_config.path();
}

}  // namespace hv::test
