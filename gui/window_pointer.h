#pragma once

#include <QCursor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <optional>

class QWidget;

namespace hv {

// A window's mouse-pointer setting and the small mouse-move rules that switch
// it: the hand over the push buttons, the default arrow again over the
// window's background, its frames or its list. The hourglass is never
// replaced by a move. The setting is the window's own, so once set it shows
// over the whole window until a rule changes it.
class WindowPointer : public QObject {
    Q_OBJECT

public:
    enum Value { Default = 0, Hourglass = 11, Custom = 99 };

    explicit WindowPointer(QWidget& window);

    int value() const { return m_value; }
    void set(int value);

    // The image the custom setting shows; without one, Custom shows the arrow.
    void setImage(const QCursor& image);
    bool hasImage() const { return m_image.has_value(); }

    // Moves over this widget show the hand.
    void handOn(QWidget* button);
    // Moves over this widget's own surface (not over a control on it) show
    // the default arrow. The window itself may be one of them.
    void resetOn(QWidget* area);
    bool resetsOn(const QWidget* area) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    int m_value = Default;
    std::optional<QCursor> m_image;
    QList<QPointer<QWidget>> m_handOn;
    QList<QPointer<QWidget>> m_resetOn;
};

}  // namespace hv
