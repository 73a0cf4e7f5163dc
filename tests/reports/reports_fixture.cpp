#include "reports_fixture.h"

#include "core/app_config.h"
#include "core/settings_store.h"
#include "reports/report_chooser.h"
#include "reports/report_preview.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMap>
#include <QProcess>
#include <QXmlStreamReader>
#include <sqlite3.h>

namespace hv::test {

namespace {

QByteArray runPdftotext(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    const bool finished = process.waitForFinished(120000);
    EXPECT_TRUE(finished && process.exitCode() == 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

}  // namespace

QList<PdfPage> readPdf(const QString& path)
{
    QList<PdfPage> pages;
    QXmlStreamReader xml(runPdftotext({QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            pages.append({QSizeF(a.value(QLatin1String("width")).toDouble(), a.value(QLatin1String("height")).toDouble()),
                          {}, {}});
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            const QRectF box(QPointF(a.value(QLatin1String("xMin")).toDouble(), a.value(QLatin1String("yMin")).toDouble()),
                             QPointF(a.value(QLatin1String("xMax")).toDouble(), a.value(QLatin1String("yMax")).toDouble()));
            pages.last().words.append({xml.readElementText(), box});
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    const QStringList texts = QString::fromUtf8(runPdftotext({QStringLiteral("-layout"), path, QStringLiteral("-")}))
                                  .split(QLatin1Char('\f'));
    for (qsizetype i = 0; i < pages.size() && i < texts.size(); ++i)
        pages[i].text = texts.at(i);
    return pages;
}

void ReportsTest::SetUp()
{
    CatalogTest::SetUp();
    if (IsSkipped())
        return;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The reports as designed, without the totals and page numbers a new
    // user's preview starts with, unless a test ticks them.
    for (const char* key : {"ReportTotals", "ReportPageNumbers"})
        settings::SaveSetting(config::kSettingsApplication, config::kSettingsSection, QString::fromLatin1(key),
                              QStringLiteral("0"));
}

void ReportsTest::TearDown()
{
    QLocale::setDefault(m_oldLocale);
    CatalogTest::TearDown();
}

void ReportsTest::rawSql(const QString& sql) const
{
    if (onServer()) {
        EXPECT_EQ(m_server->run(sql.toUtf8()), QString());
        return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_db.path()).constData(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

void ReportsTest::addEntries(const QList<Entry>& entries) const
{
    const auto quoted = [](QString text) { return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); };
    QString sql = QStringLiteral("BEGIN;");
    for (const Entry& e : entries) {
        sql += QStringLiteral("INSERT INTO \"Employees\" (\"First Name\",\"Last Name\") SELECT %1,%2 WHERE NOT EXISTS "
                              "(SELECT 1 FROM \"Employees\" WHERE \"First Name\"=%1 AND \"Last Name\"=%2);")
                   .arg(quoted(e.firstName), quoted(e.lastName));
        sql += QStringLiteral("INSERT INTO \"Work Codes\" (\"Description\",\"Billable\") SELECT %1,%2 WHERE NOT EXISTS "
                              "(SELECT 1 FROM \"Work Codes\" WHERE \"Description\"=%1);")
                   .arg(quoted(e.workCode), e.workCode.startsWith(QStringLiteral("Billable")) ? QStringLiteral("-1")
                                                                                               : QStringLiteral("0"));
        sql += QStringLiteral("INSERT INTO \"Work Hours\" (\"Employee\",\"Date Worked\",\"Work Code\",\"Hours\",\"Work "
                              "Description\") VALUES ((SELECT \"ID\" FROM \"Employees\" WHERE \"First Name\"=%1 AND "
                              "\"Last Name\"=%2),%3,(SELECT \"ID\" FROM \"Work Codes\" WHERE \"Description\"=%4),%5,%6);")
                   .arg(quoted(e.firstName), quoted(e.lastName), quoted(e.date), quoted(e.workCode))
                   .arg(e.hours)
                   .arg(quoted(e.description));
    }
    rawSql(sql + QStringLiteral("COMMIT;"));
}

void ReportsTest::addSpreadEntries(int count, const std::function<QDate(int)>& day,
                                   const std::function<double(int)>& hours) const
{
    const QStringList first{QStringLiteral("Walter"), QStringLiteral("Anna"), QStringLiteral("Mia")};
    const QStringList last{QStringLiteral("Zeller"), QStringLiteral("Berg"), QStringLiteral("Oduya")};
    const QStringList codes{QStringLiteral("Billable support"), QStringLiteral("Training"),
                            QStringLiteral("Billable design"), QStringLiteral("Holiday")};
    QList<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.append({first.at(i % 3), last.at(i % 3), codes.at(i % 4), day(i).toString(Qt::ISODate), hours(i),
                        QStringLiteral("Task%1").arg(i, 3, 10, QLatin1Char('0'))});
    addEntries(entries);
}

void ReportsTest::openChooser(const std::function<void(Form4&)>& script)
{
    Form4 chooser;
    m_ui.onNextModal([&](QDialog& dialog) { script(static_cast<Form4&>(dialog)); });
    chooser.Show();
}

void ReportsTest::preview(Form4& chooser, const QString& entry,
                          const std::function<void(reports::ReportPreview&)>& script)
{
    chooser.reportType()->setCurrentIndex(chooser.reportType()->findText(entry));
    m_ui.onNextModal([&](QDialog& dialog) {
        auto* shown = qobject_cast<reports::ReportPreview*>(&dialog);
        ASSERT_NE(shown, nullptr);
        script(*shown);
    });
    press(chooser, QStringLiteral("PushButton1"));
}

void ReportsTest::exportThroughDialog(reports::ReportPreview& shown, const QString& button, const QString& file)
{
    m_ui.onNextModal([&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        files->selectFile(file);
        static_cast<QDialog*>(files)->accept();
    });
    press(shown, button);
}

QString ReportsTest::exportReport(const QString& entry)
{
    const QString file = m_output.filePath(QStringLiteral("report.pdf"));
    openChooser([&](Form4& chooser) {
        preview(chooser, entry, [&](reports::ReportPreview& shown) {
            exportThroughDialog(shown, QStringLiteral("ExportToPdf"), file);
        });
    });
    EXPECT_TRUE(QFile::exists(file)) << entry.toStdString();
    return file;
}

}  // namespace hv::test
