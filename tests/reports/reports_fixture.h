#pragma once

#include "fixtures/catalog_fixture.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace hv {
class Form4;
namespace reports {
class ReportPreview;
}
}  // namespace hv

namespace hv::test {

// A word of a PDF page as pdftotext places it, in points from the page's
// top-left corner.
struct PdfWord {
    QString text;
    QRectF box;
};

// One page of a PDF read back: its size in points, its words in reading
// order and its text laid out as lines.
struct PdfPage {
    QSizeF size;
    QList<PdfWord> words;
    QString text;
};

// Reads a PDF back with poppler's pdftotext: the pages with their sizes,
// words and layout text. Fails the test when the file cannot be read.
QList<PdfPage> readPdf(const QString& path);

// The chooser's world: the shared connection on a fresh database, entries
// written straight into it, and the preview driven through the UI seam.
class ReportsTest : public CatalogTest {
protected:
    explicit ReportsTest(Backend backend = Backend::Local) : CatalogTest(backend) {}

    // The reports are read under English (United States): Letter paper and
    // its date format, whatever the machine's locale.
    void SetUp() override;
    void TearDown() override;

    struct Entry {
        QString firstName;
        QString lastName;
        QString workCode;
        QString date;  // ISO 8601
        double hours;
        QString description;
    };

    // Writes the entries; employees and work codes are made as they first
    // appear, work codes whose name starts with "Billable" billable.
    void addEntries(const QList<Entry>& entries) const;
    // Entries 0 .. count - 1 spread over three employees and four work codes
    // (two billable), written in an order that no report uses, entry i on
    // day(i) with hours(i) and the description "Task" and i in three digits.
    void addSpreadEntries(int count, const std::function<QDate(int)>& day,
                          const std::function<double(int)>& hours) const;
    // Runs SQL straight on the database (file or server), beside the program's dialect.
    void rawSql(const QString& sql) const;

    // Opens the chooser and runs the script while it is shown.
    void openChooser(const std::function<void(Form4&)>& script);
    // Chooses the entry and presses "Print Preview"; the script runs while
    // the preview is shown.
    void preview(Form4& chooser, const QString& entry, const std::function<void(reports::ReportPreview&)>& script);
    // Presses an export button of the preview and names the file in the
    // file dialog that follows.
    void exportThroughDialog(reports::ReportPreview& shown, const QString& button, const QString& file);
    // Previews the entry and exports it through "Export to PDF"; returns the file.
    QString exportReport(const QString& entry);

    QTemporaryDir m_output;

private:
    QLocale m_oldLocale;
};

}  // namespace hv::test
