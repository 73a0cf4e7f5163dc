#include "reports/optional_date_edit.h"

namespace hv::reports {

OptionalDateEdit::OptionalDateEdit(QWidget* parent) : DateBox(parent, Empty::Allowed, WrongText::Reverted)
{
    connect(this, &DateBox::dateChanged, this, &OptionalDateEdit::valueChanged);
}

}  // namespace hv::reports
