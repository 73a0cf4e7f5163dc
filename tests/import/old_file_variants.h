#pragma once

#include <QString>

namespace hv::test {

// The old-format test file (5 employees, 6 work codes, 2,000 entries) and
// the exact rows it holds, as JSON.
QString oldFixture();
QString oldFixtureRows();

// Files that cannot be imported, made from the test file at test time by
// cutting it or changing a few bytes of a copy; nothing here writes the
// format itself.
enum class BadOldFile {
    TruncatedMidPage,   // cut inside a page
    TruncatedAtPage,    // cut at a page boundary, part-way through the entries
    Encrypted,          // the header's encryption key set
    NewerEngine,        // the later format's signature (.accdb)
    MissingTable,       // the catalog names "Work Hourz" instead of "Work Hours"
    NotOldFormat,       // a text file
    DoesNotExist,
    Folder,
};

// Writes the variant into `folder` and returns its path.
QString makeBadOldFile(BadOldFile kind, const QString& folder);

// What the message of a refused import says about each variant.
QString reasonOf(BadOldFile kind);

}  // namespace hv::test
