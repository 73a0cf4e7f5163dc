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
    // The 3,000-character note of employee 5, a long value in a chain of
    // two long-value pages, damaged as mutated files damage it:
    NoteLongerThanStored,   // its declared length two bytes more than stored
    NoteChainCut,           // the chain ends after its first page
    NoteMarkedInline,       // flagged as kept in the row, which holds none of it
    NoteElsewhere,          // pointing at a page of rows instead
    RowWarnedAbout,         // an entry's row that the old-format library warns about
};

// Writes the variant into `folder` and returns its path.
QString makeBadOldFile(BadOldFile kind, const QString& folder);

// What the message of a refused import says about each variant.
QString reasonOf(BadOldFile kind);

}  // namespace hv::test
