#include "import/old_database.h"

#include "import/import_error.h"
#include "import/libmdb.h"
#include "import/library_messages.h"
#include "import/old_format_signature.h"
#include "import/old_table.h"
#include "core/read_only_file.h"

#include <QFile>
#include <QFileInfo>

namespace hv::import {

namespace {

// The longest text a value may convert to, in UTF-8 bytes; the library
// converts each text into a buffer of this size. The old format's forms
// take at most 65,535 characters in a note, which fits with room to spare.
constexpr size_t kTextBufferBytes = 1 << 20;

constexpr qint64 kJet3PageSize = 2048;
constexpr qint64 kJet4PageSize = 4096;

struct HandleCloser {
    void operator()(MdbHandle* mdb) const noexcept { mdb_close(mdb); }
};

QString cannotImport(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot import '%1': %2").arg(path, reason);
}

QString withDetail(const QString& reason, const QString& detail)
{
    return detail.isEmpty() ? reason + u'.' : QStringLiteral("%1 (%2).").arg(reason, detail);
}

void requireReadableFile(const QString& path)
{
    // Judged before it is opened: a pipe or a device is never waited on.
    const fs::ReadOnlyFile file(path);
    const QString reason = file.kind().notADatabaseFileReason();
    if (!reason.isEmpty())
        throw ImportError(cannotImport(path, reason + u'.'));
    if (!file.isOpen())
        throw ImportError(cannotImport(
            path, QStringLiteral("the file cannot be read (%1).").arg(file.errorString())));
}

int requireOldFormat(const QString& path)
{
    switch (OldFormatSignature::of(path)) {
    case OldFormatSignature::Jet3: return 3;
    case OldFormatSignature::Jet4: return 4;
    case OldFormatSignature::NewerEngine:
        throw ImportError(cannotImport(
            path, QStringLiteral("it was written in the old engine's later format (.accdb), which cannot be "
                                 "imported. Save it in the older .mdb format in the program that made it, then "
                                 "import that file.")));
    case OldFormatSignature::NotOldFormat: break;
    }
    throw ImportError(cannotImport(
        path, QStringLiteral("it is not an old-format database (the file does not begin with the old "
                             "database engine's signature).")));
}

// The older format keeps the database password in its header, which the
// library decodes: a password is printable characters, then zeros to the end.
bool holdsPassword(const char* field, size_t size)
{
    size_t length = 0;
    while (length < size && field[length] != '\0') {
        if (static_cast<unsigned char>(field[length]) < 0x20)
            return false;
        ++length;
    }
    for (size_t i = length; i < size; ++i) {
        if (field[i] != '\0')
            return false;
    }
    return length > 0;
}

// Texts arrive in UTF-8 whatever the environment asks of the library: the
// newer format stores UTF-16 (the library's own converter takes it for UCS-2
// and would turn every character outside the basic plane, an emoji, into
// '?'); the older one stores the code page of the machine that wrote it,
// which MDB_JET3_CHARSET may name when the file's own note of it is wrong.
void convertTextsToUtf8(MdbHandle* mdb, int version)
{
    QByteArray source = "UTF-16LE";
    if (version == 3) {
        source = qgetenv("MDB_JET3_CHARSET");
        if (source.isEmpty())
            source = mdb->f->code_page ? "CP" + QByteArray::number(mdb->f->code_page) : QByteArray("CP1252");
    }
    iconv_t converter = iconv_open("UTF-8", source.constData());
    if (converter == reinterpret_cast<iconv_t>(-1))
        converter = iconv_open("UTF-8", "CP1252");
    if (mdb->iconv_in != reinterpret_cast<iconv_t>(-1))
        iconv_close(mdb->iconv_in);
    mdb->iconv_in = converter;
}

}  // namespace

struct OldDatabase::Impl {
    QString path;
    int version = 0;
    // Declared before the handle, so the library's last words are kept too.
    LibraryMessages messages;
    std::unique_ptr<MdbHandle, HandleCloser> mdb;
};

OldDatabase::OldDatabase(const QString& path) : m_impl(std::make_unique<Impl>())
{
    m_impl->path = path;
    requireReadableFile(path);
    m_impl->version = requireOldFormat(path);

    const qint64 pageSize = m_impl->version == 3 ? kJet3PageSize : kJet4PageSize;
    const qint64 size = QFileInfo(path).size();
    if (size < 2 * pageSize || size % pageSize != 0)
        throw ImportError(cannotImport(
            path, QStringLiteral("the file is truncated (%1 bytes, not a whole number of the format's pages).")
                      .arg(size)));

    m_impl->mdb.reset(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    MdbHandle* mdb = m_impl->mdb.get();
    if (!mdb)
        throw ImportError(cannotImport(
            path, withDetail(QStringLiteral("the file cannot be opened"), m_impl->messages.text())));
    if (mdb->f->db_key != 0)
        throw ImportError(cannotImport(
            path, QStringLiteral("the file is encrypted. Decrypt it in the program that made it, then import "
                                 "the decrypted copy.")));
    if (m_impl->version == 3 && holdsPassword(mdb->f->db_passwd, sizeof mdb->f->db_passwd))
        throw ImportError(cannotImport(
            path, QStringLiteral("the file is protected by a database password. Remove the password in the "
                                 "program that made it, then import the file.")));

    mdb_set_bind_size(mdb, kTextBufferBytes);
    convertTextsToUtf8(mdb, m_impl->version);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw ImportError(cannotImport(
            path, withDetail(QStringLiteral("the file is damaged: its list of tables cannot be read"),
                             m_impl->messages.text())));
}

OldDatabase::~OldDatabase() = default;

QString OldDatabase::path() const
{
    return m_impl->path;
}

int OldDatabase::formatVersion() const
{
    return m_impl->version;
}

std::unique_ptr<OldTable> OldDatabase::table(const QString& name) const
{
    MdbHandle* mdb = m_impl->mdb.get();
    MdbCatalogEntry* found = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !found; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry)
            && QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) == 0)
            found = entry;
    }
    if (!found)
        throw ImportError(cannotImport(m_impl->path, QStringLiteral("the file has no table [%1].").arg(name)));

    MdbTableDef* table = mdb_read_table(found);
    if (!table || !mdb_read_columns(table)) {
        if (table)
            mdb_free_tabledef(table);
        throw ImportError(cannotImport(
            m_impl->path, withDetail(QStringLiteral("the file is damaged: the table [%1] cannot be read").arg(name),
                                     m_impl->messages.text())));
    }
    mdb_rewind_table(table);
    return std::make_unique<OldTable>(table, m_impl->path, m_impl->messages);
}

}  // namespace hv::import
