#pragma once

#include "gui/secondary_window.h"

#include <QString>

namespace hv {

// An editor of one record: it creates a record when m_ID is empty and edits
// the record whose ID m_ID holds otherwise, filling its controls with
// LoadData while it loads.
class RecordEditor : public SecondaryWindow {
    Q_OBJECT

public:
    using SecondaryWindow::SecondaryWindow;

    // Empty: a new record. Otherwise the ID of the record being edited, as
    // decimal digits; the opener sets it before every opening.
    QString m_ID;

protected:
    // Colours, icon and pointer (lines 100 to 106), then the m_ID test (108)
    // and LoadData (110).
    void Form_Load() override;

    // Fills the controls from the record whose ID is m_ID.
    virtual void LoadData() = 0;
};

}  // namespace hv
