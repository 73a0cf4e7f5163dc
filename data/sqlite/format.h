#pragma once

#include <array>
#include <cstdint>

// What marks a database file as the program's own: the header fields that the
// template tool writes, and the tables and stored queries the program reads.
namespace hv::data::format {

// "Hvhr" in the file header's application_id field.
inline constexpr std::int32_t kApplicationId = 0x48766872;
// The layout of the tables and queries; raised when they change. Version 2
// added the journal of changes, version 3 gave it the one table of
// journal.sql, version 4 added the index of the dates and the report queries
// a period is selected from by it (report_views.sql), version 5 the table of
// the program's own terms (terms.sql); a file of an older version is brought
// up to date when the program opens it.
inline constexpr int kUserVersion = 5;
// The first version with the journal of changes, and the first with its
// one table.
inline constexpr int kJournalVersion = 2;
inline constexpr int kOneTableJournalVersion = 3;
// The first version with the table of terms.
inline constexpr int kTermsVersion = 5;

inline constexpr std::array<const char*, 3> kTables = {"Employees", "Work Codes", "Work Hours"};
inline constexpr std::array<const char*, 4> kQueries = {"Work Hours Extended", "Employees Extended",
                                                        "Billable Hours", "Non Billable Hours"};
// The journal's table, in every file from version 3 on, and the two tables
// it had in version 2.
inline constexpr const char* kJournalTable = "hourvane_journal";
inline constexpr const char* kTermsTable = "hourvane_terms";
inline constexpr std::array<const char*, 2> kVersion2JournalTables = {"hourvane_changes", "hourvane_change_rows"};

}  // namespace hv::data::format
