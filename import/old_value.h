#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace hv::import {

// One value of a row of an old-format table, with the kind the file gives it.
struct OldValue {
    enum Kind {
        Null,
        WholeNumber,  // byte, integer, long integer
        Number,       // single, double, currency, exact numeric
        Date,         // days since 30 December 1899, the time of day as the fraction
        YesNo,
        Text          // UTF-8, valid until the table moves to its next row
    };

    Kind kind = Null;
    qint64 wholeNumber = 0;
    double number = 0.0;  // Number and Date
    bool yes = false;
    QByteArrayView text;
};

}  // namespace hv::import
