#pragma once

#include "core/message_text.h"
#include "gui/ui_seam.h"
#include "gui/wrapping_label.h"

#include <QMessageBox>
#include <QString>

namespace hv {

// A message box that fits the screen it opens on: it shows its text
// shortened, and when even that makes it taller or wider than the screen's
// free area, shortened further until the box fits; the box is then moved so
// that all of it, buttons included, lies on the screen. A word too long for
// a line is wrapped where it is painted; text() and what screen readers read
// are the (shortened) message itself.
class FittedMessageBox : public QMessageBox {
public:
    FittedMessageBox(const MessageRequest& request, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Puts the wrapping label in the place of the box's own.
    void placeLabel();
    // Shows the text shortened to the current limits.
    void showShortened();
    // The size of the box with its frame; the frame is known only once the
    // window system has placed the box, and until then a title bar is
    // allowed for.
    QSize outerSize() const;
    bool fits(const QRect& area) const;
    void keepWithin(const QRect& area);

    QString m_text;
    message_text::Limits m_limits;
    WrappingLabel* m_label;
};

}  // namespace hv
