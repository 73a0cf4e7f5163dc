#include "import/database_conversion.h"

#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "import/old_format_signature.h"
#include "core/file_system.h"
#include "database/local_database.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/durable_file.h"
#include "core/runtime_error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace hv::import {

namespace {

// True when both paths are names of one file (hard links included).
bool sameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::lstat(QFile::encodeName(a).constData(), &first) == 0
        && ::lstat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

QString freeKeptPath(const QString& livePath)
{
    const QFileInfo live(livePath);
    const QString stem = live.absolutePath() + u'/' + live.completeBaseName() + QStringLiteral(" (old format");
    QString candidate = stem + QStringLiteral(").mdb");
    // A conversion stopped after it named the original keeps that name.
    for (int number = 2; QFileInfo(candidate).exists() || QFileInfo(candidate).isSymLink(); ++number) {
        if (sameFile(candidate, livePath))
            break;
        candidate = stem + QStringLiteral(" %1).mdb").arg(number);
    }
    return candidate;
}

}  // namespace

DatabaseConversion::DatabaseConversion(QString livePath)
    : m_livePath(std::move(livePath)),
      m_workPath(m_livePath + QStringLiteral(".converting")),
      m_keptPath(freeKeptPath(m_livePath))
{
}

bool DatabaseConversion::wasInterrupted() const
{
    return QFileInfo::exists(m_workPath) || sameFile(m_keptPath, m_livePath);
}

ImportSummary DatabaseConversion::run()
{
    QString reason;
    try {
        return convert();
    } catch (const ImportError& failure) {
        reason = failure.message();
    } catch (const RuntimeError& failure) {
        reason = failure.description();
    }
    discardWork();
    // The kept name (or copy) made for the original goes again, while the
    // original is still the live database.
    if (m_madeKept && originalIsLive())
        QFile::remove(m_keptPath);
    throw ImportError(QStringLiteral("%1\r\nThe original file is unchanged and still in use as '%2'.")
                          .arg(reason, m_livePath));
}

ImportSummary DatabaseConversion::convert()
{
    // What a conversion stopped part-way left is started again from nothing.
    discardWork();
    database::LocalDatabase::copyTemplateTo(m_workPath);
    const std::unique_ptr<data::Connection> connection = data::ComponentFactory::createConnection();
    connection->Open(database::LocalDatabase::connectionStringOf(m_workPath));
    const ImportSummary summary = OldDatabaseImporter(*connection).importFile(m_livePath);
    connection->Close();
    keepOriginal();
    try {
        fs::DurableFile::commit(m_workPath, m_livePath, fs::DurableFile::Policy::Replace);
    } catch (const RuntimeError&) {
        // Renamed, and only the folder's sync failed: the new database is in place.
        if (!originalIsLive())
            return summary;
        throw;
    }
    return summary;
}

void DatabaseConversion::keepOriginal()
{
    if (sameFile(m_keptPath, m_livePath))
        return;
    const QByteArray live = QFile::encodeName(m_livePath);
    const QByteArray kept = QFile::encodeName(m_keptPath);
    if (::link(live.constData(), kept.constData()) == 0) {
        m_madeKept = true;
        fs::syncFolder(QFileInfo(m_keptPath).absolutePath());
        return;
    }
    const int error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        throw RuntimeError(err::PathFileAccess, QStringLiteral("Cannot keep the original file as '%1': %2")
                                                    .arg(m_keptPath, fs::systemErrorText(error)));
    // A file system without second names: a copy that reached the disk.
    fs::copyFile(m_livePath, m_keptPath);
    m_madeKept = true;
}

bool DatabaseConversion::originalIsLive() const
{
    const OldFormatSignature::Kind kind = OldFormatSignature::of(m_livePath);
    return kind == OldFormatSignature::Jet3 || kind == OldFormatSignature::Jet4;
}

void DatabaseConversion::discardWork() const
{
    QFile::remove(m_workPath + QStringLiteral("-journal"));
    QFile::remove(m_workPath);
}

}  // namespace hv::import
