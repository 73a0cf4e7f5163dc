#pragma once

// The main window's commands on work-hour entries: "Add New Work", "Edit
// Selected Work" and "Delete Selected Work". Each refills the list when the
// data may have changed; failures are reported as the list window's handlers.
namespace hv::entries {

class EntryList;

// Opens the entry editor for a new entry, then refills the list.
void addNewWork(EntryList& list);

// Opens the entry editor on the selected entry, refills the list and selects
// the same list position again when the list still reaches it.
void editSelectedWork(EntryList& list);

// Asks, deletes the selected entry and refills the list.
void deleteSelectedWork(EntryList& list);

}  // namespace hv::entries
