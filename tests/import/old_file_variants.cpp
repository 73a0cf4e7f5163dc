#include "old_file_variants.h"

#include <QDir>
#include <QFile>

namespace hv::test {

namespace {

QByteArray fixtureBytes()
{
    QFile file(oldFixture());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the first occurrence of a text stored as UTF-16, with one of the
// same length.
void replaceUtf16(QByteArray& bytes, const QString& from, const QString& to)
{
    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    const qsizetype at = bytes.indexOf(utf16(from));
    if (at >= 0)
        bytes.replace(at, from.size() * 2, utf16(to));
}

}  // namespace

QString oldFixture()
{
    return QStringLiteral(HOURVANE_IMPORT_TEST_DATA "/hours-2000.mdb");
}

QString oldFixtureRows()
{
    return QStringLiteral(HOURVANE_IMPORT_TEST_DATA "/hours-2000.expected.json");
}

QString makeBadOldFile(BadOldFile kind, const QString& folder)
{
    const QString path = folder + QStringLiteral("/old.mdb");
    if (kind == BadOldFile::DoesNotExist)
        return path;
    if (kind == BadOldFile::Folder) {
        QDir().mkpath(path);
        return path;
    }
    constexpr int kPage = 4096;
    QByteArray bytes = fixtureBytes();
    switch (kind) {
    case BadOldFile::TruncatedMidPage: bytes.truncate(100000); break;
    // 83 whole pages: the catalog and the first tables are whole, the entries are not.
    case BadOldFile::TruncatedAtPage: bytes.truncate(83 * kPage); break;
    // The header is stored encoded; flipping a bit of the stored key flips
    // the same bit of the key read back.
    case BadOldFile::Encrypted: bytes[0x3e] = static_cast<char>(bytes.at(0x3e) ^ 0x01); break;
    case BadOldFile::NewerEngine:
        bytes.replace(4, 15, "Standard ACE DB");
        bytes[0x14] = 0x02;
        break;
    case BadOldFile::MissingTable: replaceUtf16(bytes, QStringLiteral("Work Hours"), QStringLiteral("Work Hourz")); break;
    case BadOldFile::NotOldFormat: bytes = "ID,Employee\r\n1,Ann\r\n"; break;
    case BadOldFile::DoesNotExist:
    case BadOldFile::Folder: break;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QString reasonOf(BadOldFile kind)
{
    switch (kind) {
    case BadOldFile::TruncatedMidPage: return QStringLiteral("the file is truncated");
    case BadOldFile::TruncatedAtPage: return QStringLiteral("the table [Work Hours] holds 2000 rows, but only");
    case BadOldFile::Encrypted: return QStringLiteral("the file is encrypted");
    case BadOldFile::NewerEngine: return QStringLiteral("later format (.accdb)");
    case BadOldFile::MissingTable: return QStringLiteral("the file has no table [Work Hours]");
    case BadOldFile::NotOldFormat: return QStringLiteral("not a database of the old program");
    case BadOldFile::DoesNotExist: return QStringLiteral("the file does not exist");
    case BadOldFile::Folder: return QStringLiteral("it is a folder");
    }
    return {};
}

}  // namespace hv::test
