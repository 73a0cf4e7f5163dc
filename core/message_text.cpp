#include "core/message_text.h"

#include "core/locale_text.h"

#include <QList>
#include <QStringView>
#include <algorithm>

namespace hv::message_text {

namespace {

const QChar kEllipsis(0x2026);  // marks lines left out

// The bounds of the lines kept whole, so that a hostile text of tab-led
// lines cannot make a box too large to lay out: a path's longest, and a few.
constexpr qsizetype kLongestWholeLine = 4096;
constexpr qsizetype kMostWholeLines = 12;

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
    // The lines kept whole, as many as the bounds allow, from the first on.
    QList<bool> whole(lines.size(), false);
    qsizetype wholeCount = 0;
    qsizetype wholeLength = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines.at(i).text;
        if (!line.startsWith(u'\t') || line.size() > kLongestWholeLine || wholeCount == kMostWholeLines)
            continue;
        whole[i] = true;
        ++wholeCount;
        wholeLength += line.size();
    }
    QStringList cut;
    cut.reserve(lines.size());
    qsizetype total = 0;
    bool changed = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines.at(i).text;
        cut << (whole.at(i) ? line.toString() : text::excerpt(line, limits.lineLength));
        total += cut.last().size();
        changed = changed || cut.last().size() != line.size();
    }

    QString out;
    if (lines.size() <= limits.lines && total <= limits.length) {
        if (!changed)
            return text;  // the common case: a text within the limits comes back untouched
        for (qsizetype i = 0; i < lines.size(); ++i) {
            out += cut.at(i);
            out += lines.at(i).lineBreak;
        }
        return out;
    }

    // Shown: the last three lines, every line kept whole, and from the start
    // as many lines as the limits leave room for; "…" stands for each run of
    // lines left out.
    QList<bool> shown = whole;
    const qsizetype tail = std::min<qsizetype>(3, lines.size() - 1);
    qsizetype tailLength = 0;
    for (qsizetype i = lines.size() - tail; i < lines.size(); ++i) {
        shown[i] = true;
        if (!whole.at(i))
            tailLength += cut.at(i).size();
    }
    const qsizetype headLines = std::max<qsizetype>(1, limits.lines - tail - 1 - wholeCount);
    const qsizetype headBudget = limits.length - tailLength - wholeLength;
    shown[0] = true;  // the first line is always shown
    qsizetype headCount = 1;
    qsizetype headLength = whole.at(0) ? 0 : cut.at(0).size();
    for (qsizetype i = 1; i < lines.size() - tail && headCount < headLines; ++i) {
        if (whole.at(i))
            continue;
        if (headLength + cut.at(i).size() > headBudget)
            break;
        shown[i] = true;
        headLength += cut.at(i).size();
        ++headCount;
    }

    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (shown.at(i)) {
            out += cut.at(i);
            out += lines.at(i).lineBreak;
        } else if (shown.at(i - 1)) {  // the first of a run left out
            out += kEllipsis;
            out += lines.at(i - 1).lineBreak;
        }
    }
    return out;
}

}  // namespace hv::message_text
