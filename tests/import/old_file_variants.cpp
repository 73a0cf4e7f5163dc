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

// Where the note of employee 5 keeps its declared length (6,000 bytes) and
// then the page (36) and row (0) of its first part.
qsizetype noteEntry(const QByteArray& bytes)
{
    return bytes.indexOf(QByteArray::fromHex("7017000000240000"));
}

void damageNote(QByteArray& bytes, BadOldFile kind)
{
    constexpr int kPage = 4096;
    const qsizetype entry = noteEntry(bytes);
    if (entry < 0)
        return;
    switch (kind) {
    case BadOldFile::NoteLongerThanStored: bytes[entry] = static_cast<char>(0x72); break;
    case BadOldFile::NoteMarkedInline: bytes[entry + 3] = static_cast<char>(0x80); break;
    case BadOldFile::NoteElsewhere: bytes[entry + 5] = static_cast<char>(34); break;
    case BadOldFile::NoteChainCut: {
        // Row 0 of page 36 begins where its entry in the page's row table says;
        // its first four bytes name the next part.
        const qsizetype page = 36 * kPage;
        const int start = (static_cast<uchar>(bytes[page + 14]) | static_cast<uchar>(bytes[page + 15]) << 8) & 0x1fff;
        bytes.replace(page + start, 4, QByteArray(4, '\0'));
        break;
    }
    default: break;
    }
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
    // A byte of the column offsets at the end of the 15th entry's row.
    case BadOldFile::RowWarnedAbout: bytes[40 * kPage + 3085] = static_cast<char>(0xff); break;
    case BadOldFile::DoesNotExist:
    case BadOldFile::Folder: break;
    default: damageNote(bytes, kind); break;
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
    case BadOldFile::NoteLongerThanStored:
        return QStringLiteral("[Employees], row 5, column [Notes] is damaged: 6002 bytes are declared, but 6000 were found");
    case BadOldFile::NoteChainCut:
        return QStringLiteral("[Employees], row 5, column [Notes] is damaged: 6000 bytes are declared, but 4072 were found");
    case BadOldFile::NoteMarkedInline:
        return QStringLiteral("[Employees], row 5, column [Notes] is damaged: 6000 bytes are declared, but 0 were found");
    case BadOldFile::NoteElsewhere:
        return QStringLiteral("[Employees], row 5, column [Notes] is damaged: page 34, row 0 holds no long value");
    case BadOldFile::RowWarnedAbout:
        return QStringLiteral("row 15 of the table [Work Hours] cannot be read faithfully (warning: Invalid data location");
    }
    return {};
}

}  // namespace hv::test
