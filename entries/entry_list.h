#pragma once

#include <QString>

class QWidget;

namespace hv::entries {

// The list of work-hour entries as the entry commands reach it, kept by the
// main window: its items in display order, the current one, and its refill.
class EntryList {
public:
    virtual ~EntryList() = default;

    // The window that owns the list: the parent of boxes and error reports.
    virtual QWidget* listWindow() = 0;
    // Rebuilds the list from the database.
    virtual void ListData() = 0;
    // The number of items, the current item's position in display order
    // (counted from 1, 0 when there is none), its text (0) or sub-item texts
    // (1 to 5), and selecting the item at a position.
    virtual int listCount() const = 0;
    virtual int selectedPosition() const = 0;
    virtual QString selectedText(int subItem) const = 0;
    virtual void selectPosition(int position) = 0;
    // The position of the entry with this ID among the items read (counted
    // from 1), 0 when none has it.
    virtual int positionOfEntry(qint64 id) const = 0;

protected:
    EntryList() = default;
    EntryList(const EntryList&) = default;
    EntryList& operator=(const EntryList&) = default;
};

}  // namespace hv::entries
