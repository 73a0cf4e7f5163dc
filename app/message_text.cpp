#include "app/message_text.h"

#include "data/locale_text.h"

#include <QList>
#include <QStringView>
#include <algorithm>

namespace hv::message_text {

namespace {

const QChar kEllipsis(0x2026);  // marks lines left out

struct Line {
    QStringView text;
    QStringView lineBreak;  // empty for the last line
};

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

QList<Line> splitLines(const QString& text)
{
    QList<Line> lines;
    const QStringView view(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!isLineBreak(view.at(i)))
            continue;
        const qsizetype breakLength = (view.at(i) == u'\r' && i + 1 < view.size() && view.at(i + 1) == u'\n') ? 2 : 1;
        lines.append({view.mid(start, i - start), view.mid(i, breakLength)});
        i += breakLength - 1;
        start = i + 1;
    }
    lines.append({view.mid(start), QStringView()});
    return lines;
}

}  // namespace

QString shortened(const QString& text, const Limits& limits)
{
    const QList<Line> lines = splitLines(text);
    QStringList cut;
    cut.reserve(lines.size());
    qsizetype total = 0;
    bool changed = false;
    for (const Line& line : lines) {
        cut << text::excerpt(line.text, limits.lineLength);
        total += cut.last().size();
        changed = changed || cut.last().size() != line.text.size();
    }
    const auto join = [&](qsizetype from, qsizetype to, QString& out) {
        for (qsizetype i = from; i < to; ++i) {
            out += cut.at(i);
            out += lines.at(i).lineBreak;
        }
    };

    QString out;
    if (lines.size() <= limits.lines && total <= limits.length) {
        if (!changed)
            return text;  // the common case: a text within the limits comes back untouched
        join(0, lines.size(), out);
        return out;
    }

    const qsizetype tail = std::min<qsizetype>(3, lines.size() - 1);
    qsizetype tailLength = 0;
    for (qsizetype i = lines.size() - tail; i < lines.size(); ++i)
        tailLength += cut.at(i).size();
    const qsizetype headLines = std::max<qsizetype>(1, limits.lines - tail - 1);
    const qsizetype headBudget = limits.length - tailLength;
    qsizetype head = 1;  // the first line is always shown
    qsizetype headLength = cut.at(0).size();
    while (head < headLines && head < lines.size() - tail && headLength + cut.at(head).size() <= headBudget)
        headLength += cut.at(head++).size();

    join(0, head, out);
    if (head < lines.size() - tail) {  // lines left out
        out += kEllipsis;
        out += lines.at(head - 1).lineBreak;
    }
    join(lines.size() - tail, lines.size(), out);
    return out;
}

}  // namespace hv::message_text
