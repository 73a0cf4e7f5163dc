#include "import/database_conversion.h"

#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "app/file_system.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/runtime_error.h"

#include <QFile>
#include <QFileInfo>

namespace hv::import {

namespace {

QString freeKeptPath(const QString& livePath)
{
    const QFileInfo live(livePath);
    const QString stem = live.absolutePath() + u'/' + live.completeBaseName() + QStringLiteral(" (old format");
    QString candidate = stem + QStringLiteral(").mdb");
    for (int number = 2; QFileInfo::exists(candidate); ++number)
        candidate = stem + QStringLiteral(" %1).mdb").arg(number);
    return candidate;
}

}  // namespace

DatabaseConversion::DatabaseConversion(QString livePath, QString templatePath)
    : m_livePath(std::move(livePath)), m_templatePath(std::move(templatePath)), m_keptPath(freeKeptPath(m_livePath))
{
}

ImportSummary DatabaseConversion::run()
{
    QFile old(m_livePath);
    if (!old.rename(m_keptPath))
        throw ImportError(QStringLiteral("Cannot rename '%1' to '%2': %3")
                              .arg(m_livePath, m_keptPath, old.errorString()));
    try {
        return convert();
    } catch (const ImportError& failure) {
        undo(failure.message());
    } catch (const RuntimeError& failure) {
        undo(failure.description());
    }
    return {};
}

ImportSummary DatabaseConversion::convert()
{
    fs::CopyFile(m_templatePath, m_livePath);
    const std::unique_ptr<data::Connection> connection = data::ComponentFactory::createConnection();
    connection->Open(QStringLiteral("data source=\"%1\"").arg(m_livePath));
    ImportSummary summary = OldDatabaseImporter(*connection).importFile(m_keptPath);
    connection->Close();
    return summary;
}

void DatabaseConversion::undo(const QString& reason)
{
    // The connection was closed on the way out; the new file goes, and the
    // old one takes its name again.
    QFile::remove(m_livePath + QStringLiteral("-journal"));
    const bool removed = !QFileInfo::exists(m_livePath) || QFile::remove(m_livePath);
    QFile kept(m_keptPath);
    if (removed && kept.rename(m_livePath))
        throw ImportError(QStringLiteral("%1\r\nThe original file is back as '%2', unchanged.").arg(reason, m_livePath));
    throw ImportError(QStringLiteral("%1\r\nThe original file is kept, unchanged, as '%2'.").arg(reason, m_keptPath));
}

}  // namespace hv::import
