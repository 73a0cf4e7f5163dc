#include "app/secondary_window.h"

#include "app/appearance.h"
#include "app/file_system.h"
#include "app/twips.h"
#include "app/ui_seam.h"
#include "data/sql_text.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

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
    setFixedSize(twips::toPixels(clientTwips.width()), twips::toPixels(clientTwips.height()));
    setSizeGripEnabled(false);
}

int SecondaryWindow::Show()
{
    Form_Load();
    return UiSeam::showModal(*this);
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
    centreOnScreen();
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
