#include "catalog/employee_editor.h"
#include "catalog/notes_box.h"

#include "core/twips.h"
#include "fixtures/catalog_fixture.h"
#include "data/component_factory.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QLineEdit>
#include <QClipboard>
#include <functional>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace hv::test {
namespace {

// The Employees columns in the order of the boxes Text1 .. Text16.
const QStringList kColumns{
    "First Name", "Last Name", "Job Title", "Company",  "Business Phone", "Home Phone",
    "Mobile Phone", "Fax Number", "Address", "City",   "State",          "ZIP",
    "Country",    "E-mail Address", "Web Page", "Notes"};

QString columnList()
{
    QStringList bracketed;
    for (const QString& column : kColumns)
        bracketed << QStringLiteral("[%1]").arg(column);
    return bracketed.join(QLatin1Char(','));
}

void type(Form3& form, int box, const QString& text)
{
    if (box == 16)
        form.notes()->setText(text);
    else
        form.box(box)->setText(text);
}

QString shown(const Form3& form, int box)
{
    return box == 16 ? form.notes()->text() : form.box(box)->text();
}

class EmployeeEditorTest : public CatalogTest {
protected:
    // The stored row of an employee, Text1 .. Text16 order.
    QVariantList stored(const QString& id) const
    {
        const auto found = rows(QStringLiteral("select %1 from Employees where ID=%2").arg(columnList(), id));
        return found.isEmpty() ? QVariantList() : found.first();
    }
    int employeeCount() const { return rows(QStringLiteral("select ID from Employees")).size(); }
};

TEST_F(EmployeeEditorTest, WindowHasItsPlacesFontsAndTabOrder)
{
    open<Form3>({}, [](Form3& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Employees"));
        EXPECT_EQ(form.size(), QSize(twips::toPixels(5775), twips::toPixels(8085)));
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(form.font().family(), QStringLiteral("Arial"));
        EXPECT_TRUE(form.font().bold());
        EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 9.0);
        EXPECT_FALSE(form.windowIcon().isNull());
        EXPECT_EQ(form.backgroundRole(), QPalette::Button);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((form.frameGeometry().center() - centre).manhattanLength(), 2);

        EXPECT_EQ(form.box(1)->geometry(), twips::rect(120, 375, 2640, 345));
        EXPECT_EQ(form.box(11)->geometry(), twips::rect(1680, 4110, 720, 345));
        EXPECT_EQ(form.notes()->geometry(), twips::rect(120, 5520, 5520, 1425));
        EXPECT_EQ(form.notes()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        const auto labels = form.findChildren<QLabel*>(QStringLiteral("Label1"));
        ASSERT_EQ(labels.size(), 16);
        for (QLabel* label : labels) {
            const QWidget* box = label->buddy();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(label->x(), box->x()) << label->text().toStdString();
            EXPECT_LT(label->y(), box->y()) << label->text().toStdString();
            EXPECT_EQ(label->backgroundRole(), QPalette::Button);
        }
        EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("First Name"));

        auto* save = form.findChild<QPushButton*>(QStringLiteral("PushButton2"));
        auto* cancel = form.findChild<QPushButton*>(QStringLiteral("PushButton1"));
        EXPECT_EQ(save->text(), QStringLiteral("Save"));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(save->geometry(), twips::rect(120, 7080, 2760, 405));
        EXPECT_DOUBLE_EQ(save->font().pointSizeF(), 11.25);
        EXPECT_FALSE(save->autoDefault() || save->isDefault() || cancel->autoDefault() || cancel->isDefault());

        // Tab order: Text1 .. Text16, Save, Cancel; the first box has the focus.
        EXPECT_EQ(form.focusWidget(), form.box(1));
        QWidget* w = form.box(1);
        for (int number = 2; number <= 16; ++number) {
            w = nextTabStop(w);
            EXPECT_EQ(w->objectName(), QStringLiteral("Text%1").arg(number));
        }
        EXPECT_EQ(nextTabStop(w), save);
        EXPECT_EQ(nextTabStop(save), cancel);
    });
}

// On the screen as it is (run at twice the scale as well), or on a screen
// area far smaller than the window: the window stays within the area, and
// when it does not fit its controls scroll, keep their tab order and "Save"
// can be reached and still saves. A window that fits is left as designed.
class EmployeeWindowFitTest : public EmployeeEditorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EmployeeWindowFitTest, TheWindowLiesOnScreenAndItsButtonsCanBeReached)
{
    const bool smallArea = GetParam();
    bool pressedSave = false;
    open<Form3>({}, [&](Form3& form) {
        const QSize design(twips::toPixels(5775), twips::toPixels(8085));
        QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (smallArea) {
            area = QRect(area.topLeft(), QSize(design.width() + 40, design.height() / 2));
            form.fitInto(area);
        } else {
            EXPECT_TRUE(area.contains(form.frameGeometry())) << area.height() << " " << form.frameGeometry().height();
        }
        EXPECT_LE(form.frameGeometry().height(), area.height());
        if (design.height() <= area.height() && !smallArea) {
            EXPECT_EQ(form.size(), design);
            EXPECT_EQ(form.scrollingPane(), nullptr);
            return;
        }
        ASSERT_NE(form.scrollingPane(), nullptr);
        EXPECT_LT(form.height(), design.height());
        auto* save = form.findChild<QPushButton*>(QStringLiteral("PushButton2"));
        EXPECT_EQ(save->geometry(), twips::rect(120, 7080, 2760, 405));
        EXPECT_EQ(nextTabStop(form.notes()), save);
        type(form, 1, QStringLiteral("Ada"));
        type(form, 2, QStringLiteral("Lovelace"));
        EXPECT_GT(form.scrollingPane()->verticalScrollBar()->maximum(), 0);
        form.scrollingPane()->ensureWidgetVisible(save);
        const QRect shownAt(save->mapTo(&form, QPoint(0, 0)), save->size());
        EXPECT_TRUE(form.rect().contains(shownAt)) << shownAt.y() << " in " << form.height();
        press(form, QStringLiteral("PushButton2"));
        pressedSave = true;
    });
    EXPECT_EQ(employeeCount(), pressedSave ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Areas, EmployeeWindowFitTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SmallArea" : "Screen"; });

TEST_F(EmployeeEditorTest, ChecksNamesInOrderAndLeavesTheFocusInTheMissingBox)
{
    open<Form3>({}, [this](Form3& form) {
        type(form, 1, QStringLiteral("   "));
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.messages().size(), 1);
        EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("You forgot to input first name."));
        EXPECT_EQ(m_ui.messages().at(0).icon, QMessageBox::NoIcon);
        EXPECT_EQ(m_ui.messages().at(0).title, UiSeam::applicationTitle());
        EXPECT_EQ(m_ui.messages().at(0).buttons, QMessageBox::Ok);
        EXPECT_EQ(form.focusWidget(), form.box(1));
        EXPECT_TRUE(form.isVisible());

        type(form, 1, QStringLiteral("Ada"));
        type(form, 2, QStringLiteral("\t "));
        form.box(3)->setFocus();
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.messages().size(), 2);
        EXPECT_EQ(m_ui.messages().at(1).text, QStringLiteral("You forgot to input last name."));
        EXPECT_EQ(form.focusWidget(), form.box(2));
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(employeeCount(), 0);
}

TEST_F(EmployeeEditorTest, CreatesThenEditsAllSixteenColumns)
{
    QStringList first;
    for (int box = 1; box <= 16; ++box)
        first << QStringLiteral("%1 value").arg(kColumns.at(box - 1));
    first[0] = QStringLiteral("  Ada ");  // blanks around a name are kept
    first[15] = QStringLiteral("line one\nline two\n");

    open<Form3>({}, [&](Form3& form) {
        for (int box = 1; box <= 16; ++box)
            type(form, box, first.at(box - 1));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_FALSE(m_stillOpenAfterScript);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
    const QString id = lastId(QStringLiteral("Employees"));
    QVariantList row = stored(id);
    ASSERT_EQ(row.size(), 16);
    for (int box = 1; box <= 16; ++box)
        EXPECT_EQ(row.at(box - 1).toString(), first.at(box - 1)) << kColumns.at(box - 1).toStdString();

    QStringList second;
    for (int box = 1; box <= 16; ++box)
        second << QStringLiteral("changed %1").arg(box);
    m_ui.clear();
    open<Form3>(id, [&](Form3& form) {
        for (int box = 1; box <= 16; ++box)
            EXPECT_EQ(shown(form, box), first.at(box - 1)) << box;
        for (int box = 1; box <= 16; ++box)
            type(form, box, second.at(box - 1));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_FALSE(m_stillOpenAfterScript);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Updated")});
    row = stored(id);
    for (int box = 1; box <= 16; ++box)
        EXPECT_EQ(row.at(box - 1).toString(), second.at(box - 1)) << kColumns.at(box - 1).toStdString();
    EXPECT_EQ(employeeCount(), 1);

    // A new opening after the edit shows empty boxes again.
    open<Form3>({}, [](Form3& form) {
        for (int box = 1; box <= 16; ++box)
            EXPECT_TRUE(shown(form, box).isEmpty()) << box;
    });
}

TEST_F(EmployeeEditorTest, EmptyBoxesAreStoredAsEmptyTextAndNullColumnsOpenEmpty)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Old','Record')"));
    const QString id = lastId(QStringLiteral("Employees"));
    EXPECT_TRUE(stored(id).at(3).isNull());

    open<Form3>(id, [](Form3& form) {
        EXPECT_EQ(shown(form, 1), QStringLiteral("Old"));
        for (int box = 3; box <= 16; ++box)
            EXPECT_TRUE(shown(form, box).isEmpty()) << box;
        press(form, QStringLiteral("PushButton2"));
    });
    const QVariantList row = stored(id);
    for (int box = 3; box <= 16; ++box) {
        EXPECT_FALSE(row.at(box - 1).isNull()) << box;
        EXPECT_EQ(row.at(box - 1).toString(), QString()) << box;
    }
}

TEST_F(EmployeeEditorTest, EditingARowThatNoLongerExistsSaysSoAndOpensNothing)
{
    open<Form3>(QStringLiteral("4711"), [](Form3&) { ADD_FAILURE() << "the editor opened"; });
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    ASSERT_EQ(messageTexts().size(), 1);
    EXPECT_TRUE(messageTexts()[0].startsWith(QStringLiteral("This employee no longer exists")));
    EXPECT_EQ(employeeCount(), 0);
}

class EmployeeEditorInputTest : public EmployeeEditorTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EmployeeEditorInputTest, StoresAnyTextByteForByteAndTouchesNothingElse)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name],Notes) values ('Other','Person','kept')"));
    const QString other = lastId(QStringLiteral("Employees"));
    const QString text = QString::fromUtf8(GetParam());
    const auto expected = [&](int box) { return text + QString::number(box); };

    open<Form3>({}, [&](Form3& form) {
        for (int box = 1; box <= 16; ++box)
            type(form, box, text + QString::number(box));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    const QString id = lastId(QStringLiteral("Employees"));
    ASSERT_NE(id, other);
    const QVariantList row = stored(id);
    for (int box = 1; box <= 16; ++box)
        EXPECT_EQ(row.at(box - 1).toString(), expected(box)) << box;
    EXPECT_EQ(stored(other).at(0).toString(), QStringLiteral("Other"));
    EXPECT_EQ(stored(other).at(15).toString(), QStringLiteral("kept"));
    EXPECT_EQ(employeeCount(), 2);

    // Read back into the boxes and saved unchanged, nothing moves.
    open<Form3>(id, [&](Form3& form) {
        for (int box = 1; box <= 16; ++box)
            EXPECT_EQ(shown(form, box), expected(box)) << box;
        press(form, QStringLiteral("PushButton2"));
    });
    const QVariantList again = stored(id);
    for (int box = 1; box <= 16; ++box)
        EXPECT_EQ(again.at(box - 1).toString(), expected(box)) << box;
}

INSTANTIATE_TEST_SUITE_P(Texts, EmployeeEditorInputTest,
                         ::testing::Values("O'Brien ''quoted''", "say \"hi\"; then", "'); drop table Employees; --",
                                           "[Last Name]=TRUE", "two\r\nlines\rold\nstyle", "Ærøskøbing Łódź 東京 Ελλάδα 🙂👍🏽", "  padded  "));

TEST_F(EmployeeEditorTest, StoredNotesLeftAsTheyWereKeepEveryByte)
{
    const QString notes = QStringLiteral("from an import:\r\nsecond line\rthird\u00a0line\u2029end");
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name],Notes) values ('Imported','Row','")
            + notes + QStringLiteral("')"));
    const QString id = lastId(QStringLiteral("Employees"));
    open<Form3>(id, [](Form3& form) {
        type(form, 3, QStringLiteral("New title"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(stored(id).at(2).toString(), QStringLiteral("New title"));
    EXPECT_EQ(stored(id).at(15).toString(), notes);

    // Notes the user changes keep every other character as it was.
    open<Form3>(id, [](Form3& form) {
        form.notes()->moveCursor(QTextCursor::End);
        form.notes()->insertPlainText(QStringLiteral("!"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(stored(id).at(15).toString(), notes + QStringLiteral("!"));
}

// What the user does in the Notes box, and the notes stored after it; the
// box first holds "one\r\ntwo\u00a0three\rfour" (as an older record would).
struct NotesEdit {
    const char* name;
    std::function<void(NotesBox&)> edit;
    QString stored;
};

void PrintTo(const NotesEdit& edit, std::ostream* os)
{
    *os << edit.name;
}

// Types each character as a key press carrying it, as a keyboard layout or
// compose key that has it would.
void typeAt(NotesBox& box, int position, const QString& characters)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(position);
    box.setTextCursor(cursor);
    for (const QChar c : characters) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&box, &press);
    }
}

void pressAt(NotesBox& box, int position, Qt::Key key)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(position);
    box.setTextCursor(cursor);
    QTest::keyClick(&box, key);
}

void pasteAt(NotesBox& box, int position, const QString& text)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(position);
    box.setTextCursor(cursor);
    QGuiApplication::clipboard()->setText(text);
    box.paste();
}

class NotesBoxEditTest : public EmployeeEditorTest, public ::testing::WithParamInterface<NotesEdit> {};

TEST_P(NotesBoxEditTest, KeepsEveryCharacterAndStoresTheEnterKeyAsLF)
{
    const QString before = QStringLiteral("one\r\ntwo\u00a0three\rfour");
    open<Form3>({}, [&](Form3& form) {
        type(form, 1, QStringLiteral("Noted"));
        type(form, 2, QStringLiteral("Person"));
        type(form, 16, before);
        GetParam().edit(*form.notes());
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(stored(lastId(QStringLiteral("Employees"))).at(15).toString(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, NotesBoxEditTest,
    ::testing::Values(
        NotesEdit{"EnterInTheMiddle", [](NotesBox& box) { pressAt(box, 2, Qt::Key_Return); },
                  QStringLiteral("on\ne\r\ntwo\u00a0three\rfour")},
        NotesEdit{"LineBreakDeleted", [](NotesBox& box) { pressAt(box, 3, Qt::Key_Delete); },
                  QStringLiteral("onetwo\u00a0three\rfour")},
        NotesEdit{"NoBreakSpaceAndSeparatorsTyped",
                  [](NotesBox& box) { typeAt(box, 18, QStringLiteral("\u00a0\u2028\u202f")); },
                  QStringLiteral("one\r\ntwo\u00a0three\rfour\u00a0\u2028\u202f")},
        NotesEdit{"PastedBreaksOfEveryKind",
                  [](NotesBox& box) { pasteAt(box, 18, QStringLiteral("|a\r\nb\rc\nd\u2029e\u2028f\u00a0g")); },
                  QStringLiteral("one\r\ntwo\u00a0three\rfour|a\r\nb\rc\nd\u2029e\u2028f\u00a0g")},
        NotesEdit{"SelectionOverABreakReplaced",
                  [](NotesBox& box) {
                      QTextCursor cursor(box.document());
                      cursor.setPosition(2);
                      cursor.setPosition(5, QTextCursor::KeepAnchor);
                      box.setTextCursor(cursor);
                      QTest::keyClicks(&box, QStringLiteral("-"));
                  },
                  QStringLiteral("on-wo\u00a0three\rfour")},
        NotesEdit{"CopiedAndPastedWithinTheBox",
                  [](NotesBox& box) {
                      box.selectAll();
                      box.copy();
                      box.moveCursor(QTextCursor::End);
                      box.paste();
                  },
                  QStringLiteral("one\r\ntwo\u00a0three\rfourone\r\ntwo\u00a0three\rfour")}),
    [](const ::testing::TestParamInfo<NotesEdit>& info) { return std::string(info.param.name); });

TEST_F(EmployeeEditorTest, ANulCharacterIsRefusedNamingItsBoxBeforeAnythingIsWritten)
{
    const QString pasted = QStringLiteral("x").repeated(1 << 20) + QChar(0) + QStringLiteral("tail");
    open<Form3>({}, [&](Form3& form) {
        type(form, 1, QStringLiteral("Nul"));
        type(form, 2, QStringLiteral("Paster"));
        type(form, 9, pasted);
        type(form, 16, QStringLiteral("line\r\nnul") + QChar(0));
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.messages().size(), 1);
        EXPECT_EQ(m_ui.messages().at(0).text,
                  QStringLiteral("The box \"Address\" contains a NUL character (code 0), which cannot be stored. "
                                 "Delete it (it is selected) and save again."));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.focusWidget(), form.box(9));
        EXPECT_EQ(form.box(9)->selectedText(), QString(QChar(0)));

        // Deleted as the message says; the next box with one is named in turn.
        QTest::keyClick(form.box(9), Qt::Key_Delete);
        m_ui.clear();
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.messages().size(), 1);
        EXPECT_TRUE(m_ui.messages().at(0).text.startsWith(QStringLiteral("The box \"Notes\"")));
        EXPECT_EQ(form.notes()->textCursor().selectedText(), QString(QChar(0)));
        QTest::keyClick(form.notes(), Qt::Key_Delete);
        m_ui.clear();
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
    const QVariantList row = stored(lastId(QStringLiteral("Employees")));
    EXPECT_EQ(row.at(8).toString(), QString(pasted).remove(QChar(0)));
    EXPECT_EQ(row.at(15).toString(), QStringLiteral("line\r\nnul"));
}

TEST_F(EmployeeEditorTest, StoresAOneMegabyteNoteWithItsLineBreaks)
{
    QString notes;
    while (notes.size() < (1 << 20))
        notes += QStringLiteral("Zeile mit 'Quote' und Umlaut ä\n");
    open<Form3>({}, [&](Form3& form) {
        type(form, 1, QStringLiteral("Long"));
        type(form, 2, QStringLiteral("Notes"));
        type(form, 16, notes);
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    const QString id = lastId(QStringLiteral("Employees"));
    EXPECT_EQ(stored(id).at(15).toString(), notes);
    open<Form3>(id, [&](Form3& form) { EXPECT_EQ(shown(form, 16), notes); });
}

TEST_F(EmployeeEditorTest, ARefusedSaveKeepsTheWindowOpenWithWhatWasTyped)
{
    refuseWrites(QStringLiteral("Employees"));
    open<Form3>({}, [this](Form3& form) {
        type(form, 1, QStringLiteral("Grace"));
        type(form, 2, QStringLiteral("Hopper"));
        type(form, 16, QStringLiteral("typed notes"));
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.errorReports().size(), 1);
        EXPECT_TRUE(m_ui.errorReports().at(0).contains(QStringLiteral("The disk is full")));
        EXPECT_TRUE(m_ui.errorReports().at(0).contains(
            QStringLiteral("in Vevudazor2021/08/31.Form3.PushButton2_Click at line 118")));
        EXPECT_FALSE(messageTexts().contains(QStringLiteral("Record Successfully Saved")));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(shown(form, 1), QStringLiteral("Grace"));
        EXPECT_EQ(shown(form, 16), QStringLiteral("typed notes"));
        press(form, QStringLiteral("PushButton1"));
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(employeeCount(), 0);
}

TEST_F(EmployeeEditorTest, ARefusedUpdateIsReportedWithoutSuccess)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Kept','As Is')"));
    const QString id = lastId(QStringLiteral("Employees"));
    refuseWrites(QStringLiteral("Employees"));
    open<Form3>(id, [this](Form3& form) {
        type(form, 1, QStringLiteral("Changed"));
        press(form, QStringLiteral("PushButton2"));
        EXPECT_TRUE(form.isVisible());
    });
    ASSERT_EQ(m_ui.errorReports().size(), 1);
    EXPECT_TRUE(m_ui.errorReports().at(0).contains(QStringLiteral("at line 114")));
    EXPECT_FALSE(messageTexts().contains(QStringLiteral("Record Successfully Updated")));
    EXPECT_EQ(stored(id).at(0).toString(), QStringLiteral("Kept"));
}

TEST_F(EmployeeEditorTest, EnterAndEscPressNothingAndCancelWritesNothing)
{
    open<Form3>({}, [this](Form3& form) {
        type(form, 1, QStringLiteral("Enter"));
        type(form, 2, QStringLiteral("Esc"));
        QTest::keyClick(form.box(1), Qt::Key_Return);
        QTest::keyClick(form.box(2), Qt::Key_Enter);
        QTest::keyClick(form.box(2), Qt::Key_Escape);
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(m_ui.messages().isEmpty());

        type(form, 16, QStringLiteral("a"));
        form.notes()->moveCursor(QTextCursor::End);
        QTest::keyClick(form.notes(), Qt::Key_Return);
        EXPECT_EQ(form.notes()->toPlainText(), QStringLiteral("a\n"));
        press(form, QStringLiteral("PushButton1"));
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(employeeCount(), 0);

    // The title-bar close button writes nothing either.
    open<Form3>({}, [](Form3& form) {
        type(form, 1, QStringLiteral("Closed"));
        type(form, 2, QStringLiteral("Window"));
        form.close();
    });
    EXPECT_EQ(employeeCount(), 0);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(EmployeeEditorTest, TheHandStaysOnceAButtonWasPassed)
{
    open<Form3>({}, [](Form3& form) {
        EXPECT_TRUE(form.pointer().hasImage());
        hover(form.findChild<QPushButton*>(QStringLiteral("PushButton1")));
        EXPECT_EQ(form.pointer().value(), WindowPointer::Custom);
        hover(&form, QPoint(2, 2));
        hover(form.box(1));
        EXPECT_EQ(form.pointer().value(), WindowPointer::Custom);
        EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor);
    });
}

TEST_F(EmployeeEditorTest, AnUnreadableRecordReportsEachStepAndLeavesTheBoxesEmpty)
{
    data::ComponentFactory::setAvailable(data::kRecordsetProgId, false);
    open<Form3>(QStringLiteral("1"), [](Form3& form) { EXPECT_TRUE(shown(form, 1).isEmpty()); });
    data::ComponentFactory::resetAvailability();

    QStringList expected;
    for (int line = 100; line <= 138; line += 2)
        expected << QStringLiteral("in Vevudazor2021/08/31.Form3.LoadData at line %1").arg(line);
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), expected.size());
    for (int i = 0; i < reports.size(); ++i)
        EXPECT_TRUE(reports.at(i).contains(expected.at(i))) << reports.at(i).toStdString();
}

}  // namespace
}  // namespace hv::test
