#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <cstdio>

namespace hv::bench {

// A private PostgreSQL server for a benchmark, started with the tests' script
// (the variables it prints set in this process) unless HOURVANE_TEST_SERVER
// names one already, and stopped when the object goes.
class PrivateServer {
public:
    explicit PrivateServer(QString script) : m_script(std::move(script)) {}
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool start()
    {
        if (!qEnvironmentVariableIsEmpty("HOURVANE_TEST_SERVER"))
            return true;
        m_folder = QStringLiteral("/tmp/hourvane-bench-server.%1").arg(QCoreApplication::applicationPid());
        QProcess script;
        script.start(QStringLiteral("bash"), {m_script, QStringLiteral("start"), m_folder});
        script.waitForFinished(120000);
        if (script.exitCode() != 0) {
            std::fprintf(stderr, "cannot start a private server: %s\n", script.readAllStandardError().constData());
            m_folder.clear();
            return false;
        }
        static const QRegularExpression line(QStringLiteral("^export (\\w+)='(.*)'$"));
        for (const QString& text : QString::fromUtf8(script.readAllStandardOutput()).split(u'\n')) {
            const QRegularExpressionMatch match = line.match(text);
            if (match.hasMatch())
                qputenv(match.captured(1).toUtf8().constData(), match.captured(2).toUtf8());
        }
        return true;
    }

    ~PrivateServer()
    {
        if (!m_folder.isEmpty())
            QProcess::execute(QStringLiteral("bash"), {m_script, QStringLiteral("stop"), m_folder});
    }

private:
    QString m_script;
    QString m_folder;
};

}  // namespace hv::bench
