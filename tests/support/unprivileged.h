#pragma once

#include <QString>

namespace hv::test {

// Runs the test as an ordinary user for the life of the object, so that
// permission bits bind even where the suite runs as root (as it does on a
// fresh build machine): root's effective ids become those of "nobody" and
// are given back at the end. Without root it changes nothing. Whatever the
// test reads meanwhile must be readable by others.
class Unprivileged {
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    // False when the ids could not be given up (a root without the right to
    // change them): permission bits then do not bind, and the test should skip.
    bool binds() const;

    // Makes a folder of the test's own readable and searchable by others.
    static void openToOthers(const QString& folder);

    // Makes `file` in `folder` (the test's own) readable by everyone and
    // writable by no one, and the folder too; makeWritable() lets its owner
    // write to the folder again.
    static void makeReadOnly(const QString& file, const QString& folder);
    static void makeWritable(const QString& folder);

private:
    bool m_switched = false;
};

}  // namespace hv::test
