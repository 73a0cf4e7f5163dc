#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

class QMimeData;

namespace hv {

// A box for several lines of notes that gives back every character it was
// given. The text it shows is a plain text editor's, which ends a line at
// CR LF, CR, LF, U+2029 (and U+FDD0, U+FDD1) alike and would hand each back
// as LF, with every no-break space as a space; this box remembers how each
// line break was written, so text set, pasted or dropped into it comes back
// character for character, no-break spaces, U+2028 and all. A line break
// made in the box itself (the Enter key, or undo putting one back) is
// stored as LF.
class NotesBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit NotesBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

protected:
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // Keeps m_breaks in step with the document after each change.
    void followChange(int position, int charsRemoved, int charsAdded);
    // The text between two positions of the document, line breaks as written.
    QString textBetween(int from, int to) const;

    QStringList m_breaks;    // how each line break of the document was written, in order
    QStringList m_incoming;  // the line breaks of the text being put in, in order
};

}  // namespace hv
