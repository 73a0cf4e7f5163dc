#pragma once

#include <QString>
#include <QTreeView>

namespace hv {

// The work-hours list's view: while its WorkHoursModel holds no entry at all
// (and no find filter hides them), it draws a short hint on what to do first
// inside its empty area, so no widget comes or goes and nothing moves.
class WorkHoursView : public QTreeView {
    Q_OBJECT

public:
    explicit WorkHoursView(QWidget* parent);

    // The hint while it is drawn; empty text once there is an entry.
    QString hint() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace hv
