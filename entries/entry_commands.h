#pragma once

namespace hv {
class Form1;
}

// The main window's commands on work-hour entries: "Add New Work", "Edit
// Selected Work" and "Delete Selected Work". Each refills the list when the
// data may have changed; failures are reported as the main window's handlers.
namespace hv::entries {

// Opens the entry editor for a new entry, then refills the list.
void addNewWork(Form1& form1);

// Opens the entry editor on the selected entry, refills the list and selects
// the same list position again when the list still reaches it.
void editSelectedWork(Form1& form1);

// Asks, deletes the selected entry and refills the list.
void deleteSelectedWork(Form1& form1);

}  // namespace hv::entries
