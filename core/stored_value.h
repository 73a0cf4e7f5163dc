#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace hv {

// One value of a query's current row as the engine holds it, before any text
// is made of it: what a reader that keeps values (the work-hours list) takes
// instead of a QVariant or a text. Its kinds are those Recordset::value()
// hands back; a text's bytes belong to the recordset and stay valid only
// until it moves on.
struct StoredValue {
    enum Kind : quint8 { Null, Whole, Number, Text, Date, YesNo, Other };

    Kind kind = Null;
    qint64 whole = 0;       // Whole; YesNo: 1 for yes, 0 for no
    double number = 0.0;    // Number
    qint64 julianDay = 0;   // Date
    int secondsOfDay = 0;   // Date: 0 when the value carries no time of day
    QByteArrayView bytes;   // Text (UTF-8) and Other, as stored
};

}  // namespace hv
