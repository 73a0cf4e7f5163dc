#pragma once

#include <QString>
#include <memory>

namespace hv::import {

class OldTable;

// A database file of the old desktop engine (format versions 3 and 4), opened
// read only through the old-format library. Opening refuses, with a message
// naming the file and the reason, what cannot be imported faithfully: a file
// without the engine's signature, the engine's later format, an encrypted or
// password-protected file, and a file cut short. The library's own messages
// are kept from standard error while the object lives.
class OldDatabase {
public:
    explicit OldDatabase(const QString& path);
    ~OldDatabase();
    OldDatabase(const OldDatabase&) = delete;
    OldDatabase& operator=(const OldDatabase&) = delete;

    QString path() const;
    // 3 or 4.
    int formatVersion() const;

    // A user table by name (matched without regard to case). Raises an
    // ImportError naming the file and the table when there is none.
    std::unique_ptr<OldTable> table(const QString& name) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace hv::import
