#include "support/page_damage.h"

#include <QFile>
#include <random>
#include <sqlite3.h>

namespace hv::test {

namespace {

int pageSize(QFile& file)
{
    file.seek(16);
    const QByteArray bytes = file.read(2);
    if (bytes.size() != 2)
        return 0;
    const int size = (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
    return size == 1 ? 65536 : size;
}

quint32 bigEndian32(const QByteArray& bytes, int at)
{
    const auto b = [&](int i) { return static_cast<quint32>(static_cast<unsigned char>(bytes[at + i])); };
    return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

}  // namespace

int PageDamage::rootPage(const QString& databaseFile, const QString& name)
{
    sqlite3* db = nullptr;
    int page = 0;
    if (sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = ?1", -1, &statement, nullptr);
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(statement, 1, utf8.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW)
            page = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return page;
}

int PageDamage::lastChild(const QString& databaseFile, int page)
{
    QFile file(databaseFile);
    if (page < 2 || !file.open(QIODevice::ReadOnly))
        return 0;
    const int size = pageSize(file);
    file.seek(static_cast<qint64>(page - 1) * size);
    const QByteArray header = file.read(12);
    // Interior pages (0x02 index, 0x05 table) keep the last child at offset 8.
    if (header.size() != 12 || (header[0] != 0x02 && header[0] != 0x05))
        return 0;
    return static_cast<int>(bigEndian32(header, 8));
}

bool PageDamage::overwrite(const QString& databaseFile, int page, unsigned seed)
{
    QFile file(databaseFile);
    if (page < 1 || !file.open(QIODevice::ReadWrite))
        return false;
    const int size = pageSize(file);
    std::mt19937 noise(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(noise() & 0xff);
    if (page == 1)
        bytes.replace(0, 100, file.read(100));  // keep the header itself readable
    file.seek(static_cast<qint64>(page - 1) * size);
    if (file.write(bytes) != size)
        return false;
    // The change counter (offset 24) and the version it is valid for (92).
    file.seek(24);
    const quint32 counter = bigEndian32(file.read(4), 0) + 1;
    QByteArray next(4, '\0');
    for (int i = 0; i < 4; ++i)
        next[i] = static_cast<char>(counter >> (24 - 8 * i));
    file.seek(24);
    file.write(next);
    file.seek(92);
    file.write(next);
    return file.flush();
}

}  // namespace hv::test
