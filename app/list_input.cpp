#include "app/list_input.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <memory>

namespace hv {

namespace {

QString tabSeparatedCell(QString text)
{
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(u'"'))
        return text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

}  // namespace

ListInput::ListInput(QAbstractItemView& list, QAction& edit, QAction& remove, QAction& undo)
    : QObject(&list), m_list(list), m_edit(edit), m_remove(remove), m_menu(new QMenu(&list)),
      m_copy(new QAction(QStringLiteral("&Copy"), this))
{
    m_menu->setObjectName(QStringLiteral("ListContextMenu"));
    m_copy->setObjectName(QStringLiteral("actionCopy"));
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    m_list.addAction(m_copy);
    m_menu->addAction(&m_edit);
    m_menu->addAction(&m_remove);
    m_menu->addAction(&undo);
    m_menu->addSeparator();
    m_menu->addAction(m_copy);
    connect(m_copy, &QAction::triggered, this, &ListInput::copySelectedRows);
    connect(&m_list, &QAbstractItemView::doubleClicked, &m_edit, &QAction::trigger);
    m_list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_menu->popup(m_list.viewport()->mapToGlobal(at));
    });
    m_list.installEventFilter(this);
}

ListInput::~ListInput() = default;

bool ListInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                m_edit.trigger();
                return true;
            case Qt::Key_Delete:
                m_remove.trigger();
                return true;
            default:
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

QString ListInput::selectedRowsText() const
{
    const QAbstractItemModel* model = m_list.model();
    if (!model)
        return {};
    QModelIndexList rows = m_list.selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    lines.reserve(rows.size());
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells.append(tabSeparatedCell(model->index(row.row(), column).data().toString()));
        lines.append(cells.join(u'\t'));
    }
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

void ListInput::copySelectedRows() const
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(selectedRowsText());
}

}  // namespace hv
