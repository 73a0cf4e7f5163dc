#include "catalog/notes_box.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace hv {

namespace {

const QString kTypedBreak = QStringLiteral("\n");

// The line breaks of a text in order, as the editor finds them when the text
// is put in: CR LF counts as one, and so does each lone CR, LF, U+2029,
// U+FDD0 and U+FDD1.
QStringList lineBreaksOf(const QString& text)
{
    QStringList breaks;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            breaks << QStringLiteral("\r\n");
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0)
                   || c == QChar(0xFDD1)) {
            breaks << QString(c);
        }
    }
    return breaks;
}

}  // namespace

NotesBox::NotesBox(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, &NotesBox::followChange);
}

QString NotesBox::text() const
{
    return textBetween(0, document()->characterCount() - 1);
}

void NotesBox::setText(const QString& text)
{
    setPlainText(text);
    m_breaks = lineBreaksOf(text);
    m_incoming.clear();
    followChange(0, 0, 0);  // checks the count against the document
}

void NotesBox::insertFromMimeData(const QMimeData* source)
{
    m_incoming = source && source->hasText() ? lineBreaksOf(source->text()) : QStringList();
    QPlainTextEdit::insertFromMimeData(source);
    m_incoming.clear();
}

QMimeData* NotesBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void NotesBox::followChange(int position, int charsRemoved, int charsAdded)
{
    const QTextDocument* doc = document();
    const int end = std::min(position + charsAdded, doc->characterCount() - 1);
    // Block numbers count the line breaks before a position.
    const int before = doc->findBlock(position).blockNumber();
    const int added = std::max(0, doc->findBlock(end).blockNumber() - before);
    const int removed = static_cast<int>(m_breaks.size()) + 1 - doc->blockCount() + added;
    if (charsRemoved > 0 || charsAdded > 0) {
        m_breaks.remove(std::min<qsizetype>(before, m_breaks.size()),
                        std::clamp<qsizetype>(removed, 0, m_breaks.size() - std::min<qsizetype>(before, m_breaks.size())));
        for (int i = 0; i < added; ++i)
            m_breaks.insert(std::min<qsizetype>(before + i, m_breaks.size()),
                            m_incoming.isEmpty() ? kTypedBreak : m_incoming.takeFirst());
    }
    // Never out of step with the document, whatever happened.
    const qsizetype expected = doc->blockCount() - 1;
    if (m_breaks.size() > expected)
        m_breaks.resize(expected);
    while (m_breaks.size() < expected)
        m_breaks << kTypedBreak;
}

QString NotesBox::textBetween(int from, int to) const
{
    QString out;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        // The line break that ends the previous block sits just before this one.
        if (start - 1 >= from && start - 1 < to && block.blockNumber() - 1 < m_breaks.size())
            out += m_breaks.at(block.blockNumber() - 1);
        const int textFrom = std::max(from, start) - start;
        const int textTo = std::min(to, start + block.length() - 1) - start;
        if (textTo > textFrom)
            out += QStringView(block.text()).mid(textFrom, textTo - textFrom);
    }
    return out;
}

}  // namespace hv
