#include "app/main_window.h"
#include "app/startup_log.h"

#include "core/app_config.h"
#include "gui/appearance.h"
#include "gui/busy_pointer.h"
#include "app/component_check.h"
#include "app/find_bar.h"
#include "app/list_input.h"
#include "app/live_list.h"
#include "app/main_menu.h"
#include "app/undo_actions.h"
#include "app/undo_journal.h"
#include "core/version.h"
#include "database/database_choice.h"
#include "core/data_places.h"
#include "gui/error_report.h"
#include "core/file_system.h"
#include "database/local_database.h"
#include "app/old_database_offer.h"
#include "core/settings_section.h"
#include "core/settings_store.h"
#include "gui/shared_connection.h"
#include "core/twips.h"
#include "gui/ui_seam.h"
#include "app/work_hours_model.h"
#include "app/work_hours_view.h"
#include "catalog/sample_data.h"
#include "entries/entry_commands.h"
#include "entries/week_sheet_command.h"
#include "entries/entry_statements.h"
#include "reports/report_chooser.h"
#include "backup/database_backup.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/record_terms.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QTime>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <utility>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form1");

// Header texts of the six list columns, leading blanks included, and the
// width each takes when no width is saved.
struct ColumnDefinition {
    const char* header;
    double defaultTwips;
};
constexpr std::array<ColumnDefinition, 6> kColumns{{
    {"ID", 1200},
    {"Employee", 1700},
    {"Date Worked", 1700},
    {" Work Code", 1700},
    {"Hours", 1700},
    {" Work Description", 1700},
}};

// The data store's places, built afresh each time they are needed.
using places::dataFolder;
using places::firstLevelDataFolder;

QString liveDatabasePath()
{
    return database::LocalDatabase().path();
}

// Screen readers learn what the main window is from its accessible role: a
// plain widget is a "filler", a top-level window a "frame", and the part of
// a window below its menu bar its "client".
QAccessibleInterface* mainWindowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String(Form1::staticMetaObject.className()) && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    // The area below the menu bar that holds the list and the buttons.
    if (className == QLatin1String("QWidget") && object && object->objectName() == QLatin1String("ClientArea")
        && qobject_cast<Form1*>(object->parent()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Client);
    return nullptr;
}

QString columnKey(int position)
{
    return QString::number(position) + QStringLiteral("ColumnHeaders");
}

const settings::Section kSettings;

// What the window's commands need before they run.
constexpr DatabaseSession::Needs kEveryEntry{.wholeList = true};
constexpr DatabaseSession::Needs kChange{.write = true};
// A change that reads positions of the list after its refill.
constexpr DatabaseSession::Needs kChangeInPlace{.wholeList = true, .write = true};

}  // namespace

Form1::Environment Form1::Environment::standard()
{
    Environment env;
    env.random = [] {
        // Seeded from the time of day on every start, as each start is independent.
        static std::mt19937_64 generator(static_cast<std::uint64_t>(
            QTime::currentTime().msecsSinceStartOfDay()));
        return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    };
    env.openPage = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    env.openLocal = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    env.endProgram = [] {
        // Every other window goes with the main window, without its own closing.
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows)
            window->hide();
        QCoreApplication::exit(0);
    };
    env.now = [] { return QDateTime::currentDateTime(); };
    return env;
}

Form1::Form1(Environment environment, QWidget* parent)
    : QWidget(parent),
      m_env(std::move(environment)),
      m_model(new WorkHoursModel(this)),
      m_listFill(std::make_unique<ListFill>(*m_model, *this)),
      m_pointer(*this)
{
    m_listFill->setPace(m_env.listPace);
    connect(m_listFill.get(), &ListFill::finished, this, [] { qCInfo(lcStartup, "list filled"); });
    m_session = std::make_unique<DatabaseSession>(
        *this, *m_listFill,
        DatabaseSession::Options{.now = [this] { return now(); },
                                 .waitForRestoreMs = m_env.waitForRestoreMs,
                                 .backupStep = m_env.backupStep,
                                 .refill = [this] { ListData(); }});
    setObjectName(QStringLiteral("Form1"));
    static const bool accessibleAsWindow = (QAccessible::installFactory(mainWindowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setFont(appearance::windowFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    buildControls();
    resize(designWindowSize());
    placeClientArea();
    m_sizeGuard.setSingleShot(true);
    m_sizeGuard.setInterval(150);
    connect(&m_sizeGuard, &QTimer::timeout, this, &Form1::restoreDesignSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_findBar = new FindBar(m_client);
    m_findBar->hide();
    m_listView = new WorkHoursView(m_client);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setAccessibleName(QStringLiteral("Work hours"));
    m_listView->setModel(m_model);
    m_listView->setRootIsDecorated(false);
    m_listView->setItemsExpandable(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setAllColumnsShowFocus(true);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be selected to copy them; the current row is the one
    // the commands act on.
    m_listView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = m_listView->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int logicalIndex) { ListView1_ColumnClick(logicalIndex + 1); });
    connect(header, &QHeaderView::sectionResized, this, [this](int logicalIndex, int, int newSize) {
        // A width the user dragged is kept in twips for the settings.
        if (!m_applyingWidths && logicalIndex < static_cast<int>(m_columnTwips.size()))
            m_columnTwips[static_cast<size_t>(logicalIndex)] = twips::fromPixels(newSize);
    });

    struct ButtonDefinition {
        int number;
        const char* caption;
    };
    // In tab order after the list.
    constexpr std::array<ButtonDefinition, 6> kButtons{{
        {2, "Add New Work"},
        {1, "Edit Selected Work"},
        {3, "Delete Selected Work"},
        {5, "Reports"},
        {4, "Load Sample/Example Data"},
        {6, "Help"},
    }};
    QWidget* previous = m_listView;
    for (const ButtonDefinition& def : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(def.caption), m_client);
        button->setObjectName(QStringLiteral("PushButton%1").arg(def.number));
        button->setFont(appearance::buttonFont());
        button->setAutoDefault(false);
        button->setDefault(false);
        m_pointer.handOn(button);
        m_buttons[static_cast<size_t>(def.number - 1)] = button;
        setTabOrder(previous, button);
        previous = button;
    }
    m_pointer.resetOn(this);
    m_pointer.resetOn(m_client);
    m_pointer.resetOn(m_menuBar);
    m_pointer.resetOn(m_listView);
    connect(m_buttons[1], &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_buttons[0], &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_buttons[2], &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_buttons[3], &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_buttons[4], &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_buttons[5], &QPushButton::clicked, this, &Form1::PushButton6_Click);
    buildMenus();
    applyPlaces(layout::designPlaces());
}

void Form1::buildMenus()
{
    m_undoActions = new UndoActions(this);
    m_undoJournal = new UndoJournal(
        *m_undoActions, *this, [this](const std::function<void()>& replay) { m_session->run(kChange, replay); },
        [this] { ListData(); });
    new LiveList(
        *this, *this, *m_model, [this] { m_session->ready(kEveryEntry); }, [this] { return refillShown(); });
    m_fileTasks = std::make_unique<FileTasks>(
        *this, *m_session, [this](const QString& path, const QString& what) { showLocal(path, what); });
    m_menu = std::make_unique<MainMenu>(*m_menuBar, *this,
                                        MainMenu::WindowCommands{.add = [this] { PushButton2_Click(); },
                                                                 .edit = [this] { PushButton1_Click(); },
                                                                 .remove = [this] { PushButton3_Click(); },
                                                                 .weekSheet = [this] { openWeekSheet(); },
                                                                 .find = [this] { showFindBar(); },
                                                                 .refresh = [this] { ListData(); },
                                                                 .help = [this] { PushButton6_Click(); },
                                                                 .manual = [this] { showManual(); },
                                                                 .about = [this] { showAbout(); }},
                                        *m_fileTasks, *m_undoActions);
    m_listInput = new ListInput(*m_listView, m_menu->editAction(), m_menu->deleteAction(), *m_undoActions->undo());
    m_listInput->contextMenu().insertAction(m_undoActions->undo(), &m_menu->weekSheetAction());
    connect(m_findBar, &FindBar::changed, this, &Form1::applyFind);
    connect(m_findBar, &FindBar::closeRequested, this, &Form1::hideFindBar);
}

int Form1::menuBarHeight() const
{
    // A menu bar the desktop shows apart from the window takes no room in it.
    return m_menuBar->isNativeMenuBar() ? 0 : m_menuBar->sizeHint().height();
}

QSize Form1::designWindowSize() const
{
    return {twips::toPixels(layout::kDesignClientSize.width()),
            twips::toPixels(layout::kDesignClientSize.height()) + menuBarHeight()};
}

void Form1::placeClientArea()
{
    const int menuHeight = menuBarHeight();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    m_client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
}

void Form1::placeList()
{
    const QRectF& r = m_places.list;
    const QRect list = twips::rect(r.left(), r.top(), r.width(), r.height());
    if (!m_findBar->isVisibleTo(this)) {
        m_listView->setGeometry(list);
        return;
    }
    // The bar takes the top of the list's place; the list keeps the rest.
    const int barHeight = std::min(m_findBar->sizeHint().height(), list.height() / 2);
    const int gap = twips::toPixels(60);
    m_findBar->setGeometry(list.left(), list.top(), list.width(), barHeight);
    m_listView->setGeometry(list.left(), list.top() + barHeight + gap, list.width(),
                            std::max(0, list.height() - barHeight - gap));
}

bool Form1::findBarShown() const
{
    return m_findBar->isVisibleTo(this);
}

void Form1::showFindBar()
{
    m_session->run(kEveryEntry, [this] {
        if (!findBarShown()) {
            m_findBar->show();
            placeList();
            refilter();
        }
        m_findBar->focusText();
    });
}

void Form1::hideFindBar()
{
    if (!findBarShown())
        return;
    m_findBar->hide();
    m_model->setFilter(std::nullopt);
    placeList();
    selectFirstRow();
    m_listView->setFocus(Qt::OtherFocusReason);
}

void Form1::refilter()
{
    if (!findBarShown())
        return;
    QSet<QString> inactiveEmployees;
    QSet<QString> inactiveWorkCodes;
    try {
        inactiveEmployees = data::RecordTerms::inactiveNames(SharedConnection::get(), data::RecordTerms::Record::Employee);
        inactiveWorkCodes = data::RecordTerms::inactiveNames(SharedConnection::get(), data::RecordTerms::Record::WorkCode);
    } catch (const RuntimeError&) {
        // The lists go unmarked; the next refill asks again.
    }
    m_findBar->setChoices(m_model->valuesIn(1), m_model->valuesIn(3), inactiveEmployees, inactiveWorkCodes);
    applyFind();
}

void Form1::applyFind()
{
    if (!findBarShown())
        return;
    const EntryFilter filter = m_findBar->filter(now().date());
    if (m_model->filter() != filter)
        m_model->setFilter(filter);
    // The commands act on the current row: one of the entries found is current.
    if (!m_listView->currentIndex().isValid() && m_model->rowCount() > 0)
        m_listView->selectionModel()->setCurrentIndex(m_model->index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_findBar->showResult(m_model->rowCount(), m_model->shownTotal());
}

void Form1::showManual()
{
    showLocal(places::manualPath(), QStringLiteral("manual"));
}

void Form1::showAbout()
{
    UiSeam::tell(this, QStringLiteral("%1 %2\r\n\r\nKeeps the hours employees work.\r\n\r\nFree software under "
                                      "the GNU General Public License, version 3 or (at your option) any later "
                                      "version (GPL-3.0-or-later). It comes with no warranty.")
                           .arg(config::kProductName, QString::fromLatin1(build::kVersion)));
}

QDateTime Form1::now() const
{
    return m_env.now ? m_env.now() : QDateTime::currentDateTime();
}

void Form1::showLocal(const QString& path, const QString& what)
{
    QString trouble;
    if (!QFileInfo::exists(path))
        trouble = QStringLiteral("The %1 cannot be shown: there is nothing at '%2'.").arg(what, path);
    else if (!(m_env.openLocal ? m_env.openLocal(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path))))
        trouble = QStringLiteral("No program could be started to show the %1. You will find it at '%2'.").arg(what, path);
    if (!trouble.isEmpty())
        UiSeam::message(this, {trouble, UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Ok});
}

void Form1::applyPlaces(const layout::MainWindowPlaces& places)
{
    m_places = places;
    const auto place = [](QWidget* widget, const QRectF& r) {
        widget->setGeometry(twips::rect(r.left(), r.top(), r.width(), r.height()));
    };
    placeList();
    place(m_buttons[1], places.addButton);
    place(m_buttons[0], places.editButton);
    place(m_buttons[2], places.deleteButton);
    place(m_buttons[4], places.reportsButton);
    place(m_buttons[3], places.sampleButton);
    place(m_buttons[5], places.helpButton);
}

void Form1::Form_Load()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("Form_Load")), this);
    if (err.test(100, [] { return fs::nothingAt(firstLevelDataFolder()); }))
        err.line(102, [] { fs::makeFolder(firstLevelDataFolder()); });
    if (err.test(104, [] { return fs::nothingAt(dataFolder()); }))
        err.line(106, [] { fs::makeFolder(dataFolder()); });
    if (err.test(108, [] { return !fs::FileExists(liveDatabasePath()); }))
        err.line(110, [] { database::LocalDatabase::copyTemplateTo(liveDatabasePath()); });
    // Other copies of the program learn that the database is in use; a
    // restore in progress is waited for. Without a database there is nothing
    // to guard, and nothing is left in the data folder.
    if (fs::FileExists(liveDatabasePath()) && !m_session->takeIntoUse()) {
        // The user chose not to wait: the program ends before it opens
        // anything, as it does after the component check.
        m_endingProgram = true;
        m_env.endProgram();
        return;
    }

    err.line(112, [&] { ApplySkin(*this, m_SkinFramework1); });

    const QString pointerFile = appearance::handPointerFile();
    if (err.test(114, [&] { return fs::FileExists(pointerFile); }))
        err.line(116, [&] { m_pointer.setImage(appearance::loadPointerImage(pointerFile)); });

    err.line(118, [&] {
        const int draw = static_cast<int>(std::floor(m_env.random() * 100)) + 1;
        if (draw == 7)
            m_env.openPage(config::kHomePage);
    });

    err.line(138, [&] {
        if (IsADOInstalled(this) == AfterComponentCheck::EndProgram)
            m_endingProgram = true;
    });
    if (m_endingProgram) {
        // The user stopped the program for a restart after the repair: it
        // ends at once, as its unload ends it, and nothing more is loaded.
        m_env.endProgram();
        return;
    }

    err.line(140, [&] { setWindowTitle(config::kProductName); });
    err.line(140, [&] { setWindowIcon(applicationIcon()); });
    err.line(140, [] { SetAppTitle(); });

    // An old-format database is offered for conversion before it is opened.
    if (database::DatabaseChoice::serverAddress().isEmpty() && OldDatabaseOffer::applies(liveDatabasePath()))
        OldDatabaseOffer::offer(this, liveDatabasePath());

    err.line(142, [&] { SharedConnection::set(data::ComponentFactory::createConnection()); });
    err.line(144, [&] { m_session->open(); });

    for (int i = 0; i < static_cast<int>(kColumns.size()); ++i) {
        err.line(146 + 2 * i, [&] {
            const ColumnDefinition& column = kColumns[static_cast<size_t>(i)];
            m_model->addColumn(QString::fromLatin1(column.header));
            m_columnTwips.push_back(column.defaultTwips);
            setColumnWidthTwips(i + 1, column.defaultTwips);
        });
    }

    err.line(158, [&] { setColumnWidthTwips(1, text::toSingle(kSettings.value(columnKey(1), QStringLiteral("1200")))); });
    int position = 2;
    while (err.loopTest(160, [&] { return position <= m_model->columnCount(); })) {
        err.line(162, [&] {
            setColumnWidthTwips(position, text::toSingle(kSettings.value(columnKey(position), QStringLiteral("1700"))));
        });
        ++position;  // line 164
    }

    err.line(166, [&] { ListData(); });

    err.line(168, [&] {
        const qint16 saved = text::toInteger(kSettings.value(QStringLiteral("WindowState"), QStringLiteral("0")));
        switch (saved) {
        case 0: setWindowState(Qt::WindowNoState); break;
        case 1: setWindowState(Qt::WindowMinimized); break;
        case 2: setWindowState(Qt::WindowMaximized); break;
        default: throw RuntimeError::invalidPropertyValue();
        }
    });
    if (err.test(170, [&] { return windowStateNumber() == 0; }))
        err.line(172, [&] { m_Maximized = false; });
    else
        err.line(174, [&] { m_Maximized = true; });

    // The find bar open or closed as the last session left it, with no criteria.
    if (FindBar::savedShown())
        showFindBar();

    // The check of the pages and the daily backup go on beside the window,
    // as the rest of the list is read.
    m_session->watchOpening();
}

void Form1::setColumnWidthTwips(int position, double widthTwips)
{
    if (position < 1 || position > m_model->columnCount())
        throw RuntimeError(err::IndexOutOfBounds, QStringLiteral("Index out of bounds"));
    if (!std::isfinite(widthTwips) || widthTwips < 0 || widthTwips > 1.0e6)
        throw RuntimeError::invalidPropertyValue();
    m_applyingWidths = true;
    m_listView->header()->resizeSection(position - 1, twips::toPixels(widthTwips));
    m_applyingWidths = false;
    m_columnTwips[static_cast<size_t>(position - 1)] = widthTwips;
}

double Form1::columnWidthTwips(int position) const
{
    return m_columnTwips.at(static_cast<size_t>(position - 1));
}

void Form1::ListData()
{
    while (!readList() && askToReadListAgain()) {
    }
    // The find bar's names and totals follow the new rows; its filter held
    // through the fill.
    if (findBarShown())
        refilter();
    // Every change the program makes is followed by a fill of the list.
    m_undoJournal->refresh();
}

bool Form1::askToReadListAgain()
{
    // A local file that cannot be read says why in its report; an empty list
    // from a server that did not answer must not pass for no entries.
    if (!SharedConnection::isSet() || !SharedConnection::current().isServer())
        return false;
    return UiSeam::message(this, {QStringLiteral("The list of work hours could not be read from the database server, "
                                                 "so it shows nothing now: no entry is gone. Read it again?"),
                                  UiSeam::applicationTitle(), QMessageBox::Question,
                                  QMessageBox::Yes | QMessageBox::No})
        == QMessageBox::Yes;
}

bool Form1::refillShown()
{
    std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    try {
        rs->Open(entries::EntryStatements::list(), SharedConnection::get(), data::Recordset::adOpenStatic,
                 data::Recordset::adLockReadOnly);
    } catch (const std::exception&) {
        return false;
    }
    m_listAskedFor = std::move(rs);
    ListData();
    return true;
}

bool Form1::readList()
{
    m_listFill->abandon();
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("ListData")), this);
    std::unique_ptr<data::Recordset> rs = std::move(m_listAskedFor);
    const bool askedFor = rs != nullptr;

    err.line(100, [&] {
        if (mousePointer() != PointerHourglass)
            m_model->clearRows();
    });
    if (!askedFor)
        err.line(102, [&] { rs = data::ComponentFactory::createRecordset(); });
    const bool opened = askedFor || err.line(104, [&] {
        data::required(rs).Open(entries::EntryStatements::list(), SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    });
    if (!opened)
        return false;  // nothing to read: the list stays empty

    // The cells take the values as read; they become text when shown. A
    // sorted or filtered list places its rows by what only every row tells,
    // and a command that reads the list's positions counts every row.
    const bool whole = m_model->sorted() || findBarShown() || m_session->holdsWholeList();
    std::optional<BusyPointer> busy;
    if (whole)
        busy.emplace();
    m_listFill->start(std::move(rs), whole ? ListFill::kEveryRow : m_listFill->pace().firstBatch);
    selectFirstRow();
    return true;
}

void Form1::selectFirstRow()
{
    if (m_model->rowCount() == 0)
        return;
    m_listView->selectionModel()->setCurrentIndex(
        m_model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void Form1::ListView1_ColumnClick(int position)
{
    m_session->run(kEveryEntry, [this, position] { sortByColumn(position); });
}

void Form1::sortByColumn(int position)
{
    int currentKey = -1;
    if (m_model->sorted())
        currentKey = m_model->sortKey();
    m_model->setSorted(false);
    if (position - 1 == currentKey)
        m_model->setSortOrder(m_model->sortOrder() == WorkHoursModel::Ascending ? WorkHoursModel::Descending
                                                                                  : WorkHoursModel::Ascending);
    else
        m_model->setSortOrder(WorkHoursModel::Ascending);
    m_model->setSortKey(position - 1);
    m_model->setSorted(true);

    m_listView->header()->setSortIndicatorShown(true);
    m_listView->header()->setSortIndicator(
        position - 1, m_model->sortOrder() == WorkHoursModel::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int Form1::windowStateNumber() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void Form1::Form_Resize()
{
    const int state = windowStateNumber();
    if (state == 2) {
        // Measured in the client area: the menu bar's height is not the list's.
        const QSize outer = frameGeometry().size() - QSize(0, menuBarHeight());
        applyPlaces(layout::stretchedPlaces(QSizeF(twips::fromPixels(outer.width()), twips::fromPixels(outer.height()))));
        m_Maximized = true;
    } else if (state == 0 && m_Maximized) {
        applyPlaces(layout::designPlaces());
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->geometry();
            const QSize outer = frameGeometry().size();
            move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
        }
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeClientArea();
    Form_Resize();
    keepDesignSize();
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
        keepDesignSize();
    }
}

void Form1::keepDesignSize()
{
    // The border is fixed: in the normal state the window keeps its design
    // size, whatever a drag of its border asked for. The check waits until
    // the window manager has settled a change of state, so that the first
    // resize of a maximise is never taken for a drag.
    m_sizeGuard.start();
}

void Form1::restoreDesignSize()
{
    const QSize design = designWindowSize();
    if (windowStateNumber() == 0 && size() != design)
        resize(design);
}

void Form1::PushButton4_Click()
{
    m_session->run(kChange, [this] { catalog::loadSampleData(this, [this] { ListData(); }); });
}

void Form1::PushButton2_Click()
{
    m_session->run(kChange, [this] { entries::addNewWork(*this); });
}

void Form1::PushButton1_Click()
{
    // The entry's place is found again by its position after the refill.
    m_session->run(kChangeInPlace, [this] { entries::editSelectedWork(*this); });
}

void Form1::openWeekSheet()
{
    // A cell of several entries is shown in the list, found by the find bar.
    m_session->run(kChangeInPlace, [this] {
        entries::openWeekSheet(*this, [this](const QString& employee, const QString& workCode,
                                             const QString& description) {
            showFindBar();
            m_findBar->choose(employee, workCode, reports::QuickPeriod::AllDates, description);
        });
    });
}

void Form1::PushButton3_Click()
{
    // It reads no more than whether there is a current row, and which.
    m_session->run(kChange, [this] { entries::deleteSelectedWork(*this); });
}

int Form1::listCount() const
{
    return m_model->rowCount();
}

int Form1::selectedPosition() const
{
    const QModelIndex current = m_listView->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

QString Form1::selectedText(int subItem) const
{
    const QModelIndex current = m_listView->currentIndex();
    if (!current.isValid())
        throw RuntimeError::objectNotSet();
    return m_model->index(current.row(), subItem).data().toString();
}

void Form1::selectPosition(int position)
{
    if (position < 1 || position > m_model->rowCount())
        throw RuntimeError(err::IndexOutOfBounds, QStringLiteral("Index out of bounds"));
    m_listView->selectionModel()->setCurrentIndex(m_model->index(position - 1, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_listView->scrollTo(m_model->index(position - 1, 0));
}

int Form1::positionOfEntry(qint64 id) const
{
    return m_model->displayRowOfId(id) + 1;
}

void Form1::closeEvent(QCloseEvent* event)
{
    m_listFill->abandon();
    m_findBar->saveState(findBarShown());
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form1::Form_QueryUnload()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("Form_QueryUnload")), this);
    int position = 1;
    while (err.loopTest(100, [&] { return position <= m_model->columnCount(); })) {
        err.line(102, [&] { kSettings.save(columnKey(position), text::numberToText(columnWidthTwips(position))); });
        ++position;  // line 104
    }
    err.line(106, [&] { kSettings.save(QStringLiteral("WindowState"), QString::number(windowStateNumber())); });
    err.line(108, [&] {
        if (SharedConnection::current().state() != data::Connection::StateClosed)
            SharedConnection::current().Close();
    });
    err.line(110, [&] {
        SharedConnection::release();
        // Said once, after the last setting of the session was saved.
        const QString unsaved = settings::takeSaveFailure();
        if (!unsaved.isEmpty())
            UiSeam::message(this, {unsaved, UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Ok});
    });
    err.line(112, [&] { QCoreApplication::processEvents(); });
    err.line(114, [&] { QCoreApplication::processEvents(); });
}

void Form1::Form_Unload()
{
    m_env.endProgram();
}

void Form1::PushButton5_Click()
{
    m_session->run(kEveryEntry, [this] {
        ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton5_Click")), this);
        Form4 chooser;
        err.line(100, [&] { chooser.Show(); });
    });
}

void Form1::PushButton6_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton6_Click")), this);
    err.line(100, [&] {
        UiSeam::tell(this, QStringLiteral("Questions? Please contact Team Harrowfen at ") + config::kContactPage);
    });
}

}  // namespace hv
