#pragma once

#include <QString>

namespace hv::test {

// Damage done to a database file from outside, as a failing disk or a stray
// program would: one page overwritten with seeded noise. The file's change
// counter is moved on as well, so that a connection already open reads the
// page again instead of trusting what it remembers.
class PageDamage {
public:
    // The root page of a table or index, by its name; 0 when there is none.
    static int rootPage(const QString& databaseFile, const QString& name);
    // The last child of an interior b-tree page (a page of the last rows).
    static int lastChild(const QString& databaseFile, int page);
    // Fills the page with noise; false when the file could not be written.
    static bool overwrite(const QString& databaseFile, int page, unsigned seed = 1);
};

}  // namespace hv::test
