#pragma once

#include "gui/error_report.h"
#include "gui/window_pointer.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <functional>

class QPushButton;
class QScrollArea;

namespace hv {

// The frame every window but the main one shares: a modal window of fixed
// size given in twips, centred on the screen, in Arial 9 pt bold, with no
// minimise or maximise box. No push button is a default or cancel button, so
// Enter and Esc press nothing. Each opening loads the window afresh:
// Show() runs Form_Load and then shows it modally through the UI seam, unless
// the load found the record it was opened for gone (recordGone()): then a
// message says so instead; Unload() closes it, as does the title-bar close
// button. A window larger
// than the screen's free area (a large text scale) is made as large as the
// area allows and its controls scroll inside it.
class SecondaryWindow : public QDialog {
    Q_OBJECT

public:
    SecondaryWindow(const QString& name, const QString& caption, QSize clientTwips, QWidget* parent = nullptr);

    // Loads the window and shows it modally; returns when it has closed
    // (QDialog::Rejected at once when the record it was opened for is gone).
    int Show();

    // Closes the window.
    void Unload();

    WindowPointer& pointer() { return m_pointer; }

    // Names a control and puts it at its place in twips on its parent.
    template <typename Control>
    static Control* placed(Control* control, const QString& name, QRect placeTwips)
    {
        control->setObjectName(name);
        setPlace(*control, placeTwips);
        return control;
    }
    static void setPlace(QWidget& control, QRect placeTwips);

    // Fits the window into a free screen area: a window that fits keeps its
    // design size; a larger one takes the area's size and shows its controls
    // in a scrolling pane.
    void fitInto(const QRect& area);
    // The pane the controls scroll in, once the window did not fit.
    QScrollArea* scrollingPane() const { return m_pane; }

protected:
    // The window's load: colours, icon, pointer image, then its own data.
    virtual void Form_Load() = 0;

    // The first steps of every load, on lines 100 to 106 of the load's error
    // report: colours, icon, pointer-file test, pointer load.
    void loadAppearance(ErrorReport& err);

    // Called by the load when the record the window was opened for is not
    // in the database (deleted since the list was read); `what` names it
    // ("This entry"). Show() then says so instead of showing the window.
    void recordGone(const QString& what);

    // Runs a write on its line and, only when the database took it, shows the
    // confirmation on the next line. A refused write is reported and confirms
    // nothing, so the window stays open with what the user entered. Returns
    // whether the write was taken.
    bool writeAndConfirm(ErrorReport& err, int writeLine, const std::function<void()>& write, int confirmLine,
                         const QString& confirmation);

    // The same for the update of the record the window edits, built by
    // `statement` and run on the shared connection: an update that changed
    // no row (the record was deleted after the window opened, in another
    // window, by another copy of the program or on the server) writes
    // nothing, says on the confirmation's line that the record no longer
    // exists instead of confirming, and the window stays open with what the
    // user entered. Returns whether a row was updated. `alongside`, when
    // given, is written with the update, as one change, only when the record
    // still exists.
    bool updateAndConfirm(ErrorReport& err, int writeLine, const std::function<QString()>& statement, int confirmLine,
                          const QString& confirmation, const std::function<void()>& alongside = {});

    // A box the user types into, named as its caption names it.
    struct TypedBox {
        QString caption;
        QString text;
        QWidget* box;
    };

    // Before any statement is built: when a box holds a character that cannot
    // be stored (NUL), says which box on line + 2, puts the focus there with
    // the character selected on line + 4 and returns true; the save stops
    // with nothing written. `line` is the test's own line.
    bool refuseUnstorableText(ErrorReport& err, int line, const QList<TypedBox>& boxes);

    // A push button in Arial 11.25 pt bold at a place in twips, showing the
    // hand pointer; never a default button.
    QPushButton* addPushButton(int number, const QString& caption, QRect placeTwips, QWidget* parent = nullptr);

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();
    void moveControlsIntoPane();

    WindowPointer m_pointer;
    QSize m_designSize;
    // What the load found gone (empty: nothing).
    QString m_gone;
    QScrollArea* m_pane = nullptr;
};

}  // namespace hv
