#pragma once

#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/ui_recorder.h"
#include "support/widget_input.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>

namespace hv::test {

// An editor window's world: the shared connection open on a fresh template
// database, the built program folder (pointer, skin), and every box and
// modal show recorded.
class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override;
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

    TemporaryDatabase m_db;
    UiRecorder m_ui;
    bool m_stillOpenAfterScript = false;
};

}  // namespace hv::test
