#pragma once

#include "entries/week_sheet.h"

// Edit > Week Sheet... and the list's context menu: the week sheet for the
// selected entry's employee and week (with no entry selected, the first
// employee's week of today), then the list refilled when the sheet wrote.
namespace hv::entries {

class EntryList;

void openWeekSheet(EntryList& list, const WeekSheet::ShowEntries& showEntries);

}  // namespace hv::entries
