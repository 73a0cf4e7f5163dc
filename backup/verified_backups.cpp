#include "backup/verified_backups.h"

#include "core/durable_file.h"
#include "core/runtime_error.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace hv::backup {

VerifiedBackups::VerifiedBackups(QString folder, const QString& databasePath)
    : m_folder(std::move(folder)),
      m_file(m_folder + u'/' + QFileInfo(databasePath).completeBaseName() + QStringLiteral(".verified"))
{
}

VerifiedBackups::Entry VerifiedBackups::entryFor(const QString& path)
{
    const QFileInfo info(path);
    return {info.fileName(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

bool VerifiedBackups::stillAsChecked(const Entry& entry) const
{
    const QFileInfo info(m_folder + u'/' + entry.name);
    if (!info.isFile() || info.isSymLink())
        return false;
    const Entry now = entryFor(info.filePath());
    return now.size == entry.size && now.modified == entry.modified;
}

void VerifiedBackups::record(const QString& copy) const
{
    const Entry entry = entryFor(copy);
    if (entry.name.contains(u'\n'))
        return;  // not a name the record can hold; the copy is simply not counted
    QList<Entry> entries = read();
    entries.removeIf([&](const Entry& old) { return old.name == entry.name; });
    entries.append(entry);
    write(entries);
}

bool VerifiedBackups::holds(const QString& copy) const
{
    const QString name = QFileInfo(copy).fileName();
    const QList<Entry> entries = read();
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Entry& entry) { return entry.name == name && stillAsChecked(entry); });
}

QString VerifiedBackups::newest() const
{
    const QList<Entry> entries = read();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (stillAsChecked(*it))
            return m_folder + u'/' + it->name;
    }
    return {};
}

void VerifiedBackups::prune() const
{
    QList<Entry> entries = read();
    const qsizetype before = entries.size();
    entries.removeIf([&](const Entry& entry) { return !stillAsChecked(entry); });
    if (entries.size() != before)
        write(entries);
}

QList<VerifiedBackups::Entry> VerifiedBackups::read() const
{
    QList<Entry> entries;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    // "<size> <modified> <name>", one copy a line; a line that does not read
    // so (a record cut short) is passed over.
    while (!file.atEnd()) {
        QByteArray raw = file.readLine();
        if (raw.endsWith('\n'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        const qsizetype first = line.indexOf(u' ');
        const qsizetype second = first < 0 ? -1 : line.indexOf(u' ', first + 1);
        bool sizeRead = false;
        bool timeRead = false;
        Entry entry;
        if (second > 0) {
            entry.size = line.left(first).toLongLong(&sizeRead);
            entry.modified = line.mid(first + 1, second - first - 1).toLongLong(&timeRead);
            entry.name = line.mid(second + 1);
        }
        if (sizeRead && timeRead && !entry.name.isEmpty())
            entries.append(entry);
    }
    return entries;
}

void VerifiedBackups::write(const QList<Entry>& entries) const
{
    QByteArray text;
    for (const Entry& entry : entries)
        text += QByteArray::number(entry.size) + ' ' + QByteArray::number(entry.modified) + ' ' + entry.name.toUtf8() + '\n';
    try {
        fs::DurableFile::write(m_file, fs::DurableFile::Policy::Replace, [&](QIODevice& out) { fs::DurableFile::writeAll(out, text); });
    } catch (const RuntimeError& failure) {
        throw RuntimeError(failure.number(),
                           QStringLiteral("Cannot record the checked backups in '%1': %2").arg(m_file, failure.description()));
    }
}

}  // namespace hv::backup
