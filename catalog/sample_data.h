#pragma once

#include <functional>

class QWidget;

namespace hv::catalog {

// The main window's "Load Sample/Example Data": adds the two example
// employees and work codes while their table holds fewer than two rows, adds
// three example entries dated today booked to the first and last employee and
// work code the database reads, then refills the list through listData.
// Failures are reported as the main window's PushButton4_Click; each failed
// step is skipped and the rest still runs.
void loadSampleData(QWidget* form1, const std::function<void()>& listData);

}  // namespace hv::catalog
