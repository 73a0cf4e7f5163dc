#include "gui/secondary_window.h"

#include "gui/appearance.h"
#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "core/twips.h"
#include "gui/ui_seam.h"
#include "data/connection.h"
#include "data/sql_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

namespace hv {

SecondaryWindow::SecondaryWindow(const QString& name, const QString& caption, QSize clientTwips, QWidget* parent)
    : QDialog(parent), m_pointer(*this)
{
    setObjectName(name);
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(appearance::windowFont());
    m_designSize = QSize(twips::toPixels(clientTwips.width()), twips::toPixels(clientTwips.height()));
    setFixedSize(m_designSize);
    setSizeGripEnabled(false);
}

int SecondaryWindow::Show()
{
    m_gone.clear();
    Form_Load();
    if (!m_gone.isEmpty()) {
        UiSeam::message(parentWidget(),
                        {m_gone + QStringLiteral(" no longer exists: it was deleted after the list was read (by another "
                                                 "user, another copy of Hourvane, or in another window). Nothing was "
                                                 "opened, and the list now shows what the database holds."),
                         UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Ok});
        return QDialog::Rejected;
    }
    return UiSeam::showModal(*this);
}

void SecondaryWindow::recordGone(const QString& what)
{
    m_gone = what;
}

void SecondaryWindow::Unload()
{
    done(QDialog::Rejected);
}

void SecondaryWindow::loadAppearance(ErrorReport& err)
{
    err.line(100, [&] { SetFormColors(*this); });
    err.line(102, [&] { setWindowIcon(applicationIcon()); });
    const QString pointerFile = appearance::handPointerFile();
    if (err.test(104, [&] { return fs::FileExists(pointerFile); }))
        err.line(106, [&] { m_pointer.setImage(appearance::loadPointerImage(pointerFile)); });
}

bool SecondaryWindow::writeAndConfirm(ErrorReport& err, int writeLine, const std::function<void()>& write,
                                      int confirmLine, const QString& confirmation)
{
    if (!err.line(writeLine, write))
        return false;
    err.line(confirmLine, [&] { UiSeam::tell(this, confirmation); });
    return true;
}

bool SecondaryWindow::updateAndConfirm(ErrorReport& err, int writeLine, const std::function<QString()>& statement,
                                       int confirmLine, const QString& confirmation,
                                       const std::function<void()>& alongside)
{
    // The engine's own count of the rows the statement changed.
    long changed = -1;
    if (!err.line(writeLine, [&] {
            if (!alongside) {
                SharedConnection::get().Execute(statement(), &changed);
                return;
            }
            data::Transaction together(SharedConnection::get());
            SharedConnection::get().Execute(statement(), &changed);
            if (changed == 0)
                return;
            alongside();
            together.commit();
        }))
        return false;
    if (changed == 0) {
        err.line(confirmLine, [&] {
            UiSeam::message(this, {QStringLiteral("This record no longer exists: it was deleted after this window "
                                                  "opened (in another window, by another copy of Hourvane, or on "
                                                  "the database server). Nothing was saved; what you entered is "
                                                  "still here."),
                                   UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Ok});
        });
        return false;
    }
    err.line(confirmLine, [&] { UiSeam::tell(this, confirmation); });
    return true;
}

bool SecondaryWindow::refuseUnstorableText(ErrorReport& err, int line, const QList<TypedBox>& boxes)
{
    const TypedBox* found = nullptr;
    qsizetype at = -1;
    if (!err.test(line, [&] {
            for (const TypedBox& typed : boxes) {
                at = sql::firstUnstorableCharacter(typed.text);
                if (at >= 0) {
                    found = &typed;
                    return true;
                }
            }
            return false;
        })
        || !found)
        return false;
    err.line(line + 2, [&] {
        UiSeam::tell(this, QStringLiteral("The box \"%1\" contains a NUL character (code 0), which cannot be stored. "
                                          "Delete it (it is selected) and save again.")
                               .arg(found->caption));
    });
    err.line(line + 4, [&] {
        found->box->setFocus();
        if (auto* lineBox = qobject_cast<QLineEdit*>(found->box)) {
            lineBox->setSelection(static_cast<int>(at), 1);
        } else if (auto* textBox = qobject_cast<QPlainTextEdit*>(found->box)) {
            const QTextCursor nul = textBox->document()->find(QString(QChar(0)));
            if (!nul.isNull())
                textBox->setTextCursor(nul);
        }
    });
    return true;
}

void SecondaryWindow::setPlace(QWidget& control, QRect placeTwips)
{
    control.setGeometry(twips::rect(placeTwips.left(), placeTwips.top(), placeTwips.width(), placeTwips.height()));
}

QPushButton* SecondaryWindow::addPushButton(int number, const QString& caption, QRect placeTwips, QWidget* parent)
{
    auto* button = placed(new QPushButton(caption, parent ? parent : this), QStringLiteral("PushButton%1").arg(number),
                          placeTwips);
    button->setFont(appearance::buttonFont());
    button->setAutoDefault(false);
    button->setDefault(false);
    m_pointer.handOn(button);
    return button;
}

void SecondaryWindow::keyPressEvent(QKeyEvent* event)
{
    // No button is the default or the cancel button: Enter and Esc press
    // nothing, and Esc does not close the window either.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void SecondaryWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        fitInto(screen->availableGeometry());
    centreOnScreen();
}

void SecondaryWindow::fitInto(const QRect& area)
{
    // The room for the client area once the frame has its share.
    const QSize frame = frameGeometry().size() - size();
    const QSize room = area.size() - frame.expandedTo(QSize(0, 0));
    if (m_designSize.width() <= room.width() && m_designSize.height() <= room.height())
        return;
    if (!m_pane)
        moveControlsIntoPane();
    // Room for the scroll bar of the direction that scrolls, so that the
    // other direction need not scroll as well.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize wanted = m_designSize;
    if (wanted.height() > room.height())
        wanted.rwidth() += bar;
    if (wanted.width() > room.width())
        wanted.rheight() += bar;
    const QSize fitted = wanted.boundedTo(room);
    setFixedSize(fitted);
    m_pane->setGeometry(QRect(QPoint(0, 0), fitted));
    m_pane->show();
}

void SecondaryWindow::moveControlsIntoPane()
{
    // The tab order runs through the controls as the window set it; moving
    // them to another parent must not change it.
    QList<QWidget*> tabOrder;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            tabOrder.append(w);
    }

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("Content"));
    content->setFixedSize(m_designSize);
    content->setBackgroundRole(backgroundRole());
    content->setForegroundRole(foregroundRole());
    content->setAutoFillBackground(autoFillBackground());
    const auto controls = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) {
        if (control->isWindow())
            continue;
        const QRect place = control->geometry();
        const bool hidden = control->isHidden();
        control->setParent(content);
        control->setGeometry(place);
        control->setVisible(!hidden);
    }

    m_pane = new QScrollArea(this);
    m_pane->setObjectName(QStringLiteral("ScrollingPane"));
    m_pane->setFrameShape(QFrame::NoFrame);
    m_pane->setBackgroundRole(backgroundRole());
    m_pane->setWidget(content);
    if (m_pointer.resetsOn(this))
        m_pointer.resetOn(content);

    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
    // The control that has the focus stays in sight as the focus moves.
    connect(qApp, &QApplication::focusChanged, m_pane, [this](QWidget*, QWidget* now) {
        if (now && m_pane->widget()->isAncestorOf(now))
            m_pane->ensureWidgetVisible(now);
    });
}

void SecondaryWindow::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

}  // namespace hv
