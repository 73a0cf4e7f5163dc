#pragma once

#include <QString>

// What a message box shows of a text that may be very long (a pasted value
// quoted in a failure, say): enough to read, never so much that the box
// outgrows the screen or takes seconds to lay out.
namespace hv::message_text {

struct Limits {
    int lines = 24;         // lines shown, the "…" line included
    int lineLength = 300;   // characters of one line, its "…" included
    int length = 1500;      // characters of the whole text
};

// The text itself when it is within the limits. Otherwise every line longer
// than lineLength is cut and ended with "…", and when there are too many
// lines or characters, the first lines are kept up to the limits, then one
// line "…", then the last three lines, so that what ends a message (the
// location of a failure, the question asked) is always shown. A line that
// begins with a tab holds what the reader must see whole (the name of a file
// to find, a step to take): it is never cut nor left out, whatever the
// limits, and the other lines give way to it (up to 12 such lines of up to
// 4096 characters; further ones count as ordinary lines). Line breaks are
// CR LF, CR, LF, U+2028 or U+2029 and are kept as written; a cut never
// splits a character written with two UTF-16 units.
QString shortened(const QString& text, const Limits& limits = {});

}  // namespace hv::message_text
