#pragma once

#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/test_server.h"
#include "support/ui_recorder.h"
#include "support/widget_input.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace hv::test {

// An editor window's world: the shared connection open on a fresh template
// database (or, for Backend::Server, a fresh schema on the test server), the
// built program folder (pointer, skin), and every box and modal show recorded.
class CatalogTest : public ::testing::Test {
protected:
    explicit CatalogTest(Backend backend = Backend::Local) : m_backend(backend) {}
    void SetUp() override;
    bool onServer() const { return m_backend == Backend::Server; }
    void TearDown() override;

    // Runs a statement on the shared connection.
    void execute(const QString& sql) const;
    // The rows a query yields, each as its values in column order.
    QList<QVariantList> rows(const QString& sql) const;
    // The ID of the last row inserted into a table.
    QString lastId(const QString& table) const;

    // Opens the editor with m_ID set and runs the script while it is shown.
    template <typename Window>
    void open(const QString& id, std::function<void(Window&)> script)
    {
        Window window;
        window.m_ID = id;
        m_ui.onNextModal([&](QDialog& dialog) {
            m_stillOpenAfterScript = false;
            script(static_cast<Window&>(dialog));
            m_stillOpenAfterScript = dialog.isVisible();
        });
        window.Show();
    }

    // Makes the database refuse every insert into and update of the table,
    // as a database that cannot take a write would.
    void refuseWrites(const QString& table) const;

    // Message texts shown so far, error reports included.
    QStringList messageTexts() const;

    // Makes every delete from the table fail, as a database that refused it would.
    void refuseDeletes(const QString& table) const;

    Backend m_backend;
    TemporaryDatabase m_db;
    std::unique_ptr<TestServerSchema> m_server;
    UiRecorder m_ui;
    bool m_stillOpenAfterScript = false;
};

}  // namespace hv::test
