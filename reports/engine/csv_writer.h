#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

namespace hv {

// Writes comma-separated values as RFC 4180 lays them out, in UTF-8: fields
// separated by commas, every record ended by CR LF, and a field that holds a
// comma, a double quote, a line break or a blank at either end enclosed in
// double quotes with its double quotes doubled. Every export of the program
// writes through it.
class CsvWriter {
public:
    struct Options {
        // Starts the file with the UTF-8 byte order mark, by which spreadsheet
        // programs recognise the encoding without asking.
        bool byteOrderMark = false;
    };

    explicit CsvWriter(QIODevice& device);
    CsvWriter(QIODevice& device, Options options);

    // Writes one record; the first call writes the byte order mark first
    // when the options ask for one.
    void writeRecord(const QStringList& fields);

    // False once a write to the device has failed; later records are not
    // written then.
    bool ok() const { return m_ok; }

    // One field as it stands in a record, quoted where it needs to be.
    static QString field(const QString& text);
    // The fields joined into one record, without its line end.
    static QString record(const QStringList& fields);

    // A free text as a spreadsheet cell that is never taken for a formula:
    // a text beginning with "=", "+", "-", "@", a tab or a carriage return
    // gets an apostrophe in front, which spreadsheets show as plain text.
    static QString inertText(const QString& text);

private:
    void write(const QByteArray& bytes);

    QIODevice& m_device;
    Options m_options;
    bool m_started = false;
    bool m_ok = true;
};

}  // namespace hv
