#include "masters/browsepanel.h"

#include "engine/table.h"
#include "ui/fieldbinder.h"
#include "ui/messages.h"

#include <QApplication>
#include <QBrush>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace masters {

// The grid's model with the title colours of the search: yellow, bold, the
// search column's title red.
class BrowsePanel::HeaderModel : public TableModel {
public:
    HeaderModel(engine::Table& table, std::vector<BrowseColumn> columns, const BrowseSearch& search,
                QObject* parent)
        : TableModel(table, std::move(columns), parent), search_(search) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
            switch (role) {
            case Qt::ForegroundRole:
                return QBrush(search_.titleColour(section) == TitleColour::Red ? Qt::red
                                                                               : Qt::black);
            case Qt::BackgroundRole:
                return QBrush(Qt::yellow);
            case Qt::FontRole: {
                QFont f = QApplication::font();
                f.setBold(true);
                return f;
            }
            default:
                break;
            }
        }
        return TableModel::headerData(section, orientation, role);
    }

    void titlesChanged() {
        if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }

private:
    const BrowseSearch& search_;
};

void BrowsePanel::sizeColumnsToFields(QTableView* grid) {
    auto* model = qobject_cast<TableModel*>(grid->model());
    if (!model) return;
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics titles(bold);
    const QFontMetrics cells(grid->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString title = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int chars = model->columnChars(c);
        grid->setColumnWidth(c, std::max(titles.horizontalAdvance(title) + 16,
                                         cells.averageCharWidth() * chars + 16));
    }
}

namespace {

bool browsing(const engine::Table& t) {
    return t.isOpen() && t.state() == engine::Table::State::Browse;
}

QToolButton* navButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                       const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(tip);
    b->setStatusTip(tip);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

BrowsePanel::BrowsePanel(const BrowseConfig& config, ui::Messages& msg, QWidget* parent)
    : QWidget(parent), config_(config), msg_(msg), search_(config_, msg) {
    setObjectName(config_.name);
    if (!config_.panelHint.isEmpty()) {
        setToolTip(config_.panelHint);
        setStatusTip(config_.panelHint);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    buildTopBar(layout);
    buildGrid(layout);

    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &BrowsePanel::titleClicked);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { rowActivated(current); });
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        rowActivated(index);
        emit doubleClicked();
    });
    connect(first_, &QToolButton::clicked, this, [this] { navigate(&engine::Table::first); });
    connect(prior_, &QToolButton::clicked, this, [this] { navigate(&engine::Table::prior); });
    connect(next_, &QToolButton::clicked, this, [this] { navigate(&engine::Table::next); });
    connect(last_, &QToolButton::clicked, this, [this] { navigate(&engine::Table::last); });
    // The focus coming into the panel from another control of the window
    // enters it; a message box in between does not.
    auto* fields = new ui::FieldBinder(this);
    fields->bind(this, QStringLiteral("panel"));
    fields->onEnter(QStringLiteral("panel"), [this] { enter(); });

    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    updateSearchLabel();
    showCurrent();
}

void BrowsePanel::buildTopBar(QVBoxLayout* layout) {
    auto* top = new QHBoxLayout;
    navigator_ = new QWidget(this);
    navigator_->setObjectName(QStringLiteral("DBNavigator"));
    auto* nav = new QHBoxLayout(navigator_);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(0);
    first_ = navButton(navigator_, "nbFirst", QStyle::SP_MediaSkipBackward,
                       QStringLiteral("Első rekord"));
    prior_ = navButton(navigator_, "nbPrior", QStyle::SP_MediaSeekBackward,
                       QStringLiteral("Előző rekord"));
    next_ = navButton(navigator_, "nbNext", QStyle::SP_MediaSeekForward,
                      QStringLiteral("Következő rekord"));
    last_ = navButton(navigator_, "nbLast", QStyle::SP_MediaSkipForward,
                      QStringLiteral("Utolsó rekord"));
    for (QToolButton* b : {first_, prior_, next_, last_})
        nav->addWidget(b);
    top->addWidget(navigator_);
    top->addSpacing(16);

    auto* caption = new QLabel(QStringLiteral("Keresett szöveg:"), this);
    caption->setObjectName(QStringLiteral("keresettLabel"));
    szoveg_ = new QLabel(this);
    szoveg_->setObjectName(QStringLiteral("szoveg"));
    szoveg_->setMinimumWidth(120);
    QFont bold = szoveg_->font();
    bold.setBold(true);
    szoveg_->setFont(bold);
    top->addWidget(caption);
    top->addWidget(szoveg_);
    top->addStretch(1);
    caption->setVisible(config_.typeAhead);
    szoveg_->setVisible(config_.typeAhead);
    layout->addLayout(top);
}

void BrowsePanel::buildGrid(QVBoxLayout* layout) {
    grid_ = new QTableView(this);
    grid_->setObjectName(config_.gridName);
    grid_->setAccessibleName(config_.gridTitle.isEmpty() ? config_.gridHint : config_.gridTitle);
    if (!config_.gridHint.isEmpty()) {
        grid_->setToolTip(config_.gridHint);
        grid_->setStatusTip(config_.gridHint);
    }
    auto* model = new HeaderModel(*config_.table, config_.columns, search_, this);
    model_ = model;
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    grid_->setWordWrap(false);
    grid_->setSortingEnabled(false);
    grid_->setAlternatingRowColors(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    // The selection stays visible when the grid has no focus.
    QPalette pal = grid_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    grid_->setPalette(pal);

    QHeaderView* header = grid_->horizontalHeader();
    // Some platform styles ignore a title's background colour; Fusion paints it.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        fusion->setParent(header);
        header->setStyle(fusion);
    }
    header->setSectionsClickable(config_.typeAhead);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setSortIndicatorShown(false);
    sizeColumnsToFields(grid_);
    layout->addWidget(grid_, 1);
    setFocusProxy(grid_);
}

BrowsePanel::~BrowsePanel() = default;

int BrowsePanel::columnsWidth() const {
    int w = 0;
    for (int c = 0; c < model_->columnCount(); ++c)
        w += grid_->columnWidth(c);
    return w + grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_) +
           2 * grid_->frameWidth() + 2;
}

void BrowsePanel::setColumnTitle(int column, const QString& title) {
    if (column < 0 || column >= int(config_.columns.size())) return;
    config_.columns[size_t(column)].title = title;
    model_->setTitle(column, title);
}

void BrowsePanel::setBrowseEnabled(bool on) {
    grid_->setEnabled(on);
    navigator_->setEnabled(on);
}

void BrowsePanel::enter() {
    search_.enter();
    updateTitles();
    updateSearchLabel();
    refresh();
}

void BrowsePanel::refresh() {
    model_->sync();
    showCurrent();
}

void BrowsePanel::showCurrent() {
    const engine::Table& t = table();
    const int row = t.isOpen() ? model_->rowOf(t.recno()) : -1;
    syncing_ = true;
    if (row >= 0) {
        const int col = std::max(0, grid_->currentIndex().column());
        const QModelIndex idx = model_->index(row, col);
        grid_->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
        grid_->scrollTo(idx);
    } else {
        grid_->selectionModel()->clearSelection();
    }
    syncing_ = false;
}

void BrowsePanel::clearSearch() {
    search_.clear();
    updateSearchLabel();
}

namespace {

// A key that types no search character: a command key (Delete, F2, Ctrl+T,
// ...), a movement key, Enter, Esc, Tab. Backspace edits the text; a modifier
// pressed alone is no key of its own.
bool commandKey(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace) return false;
    const std::optional<int> code = virtualKeyOf(e->key(), e->text());
    if (!code) return false;
    const Qt::KeyboardModifiers m = e->modifiers();
    // AltGr types characters (on Windows it comes as Ctrl+Alt).
    const bool altGr = (m & Qt::ControlModifier) && (m & Qt::AltModifier);
    if (!altGr && (m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return true;
    const std::optional<QChar> ch = typedCharOf(e->key(), e->text());
    return !ch || ch->unicode() < 32;
}

} // namespace

void BrowsePanel::updateSearchLabel() {
    szoveg_->setText(search_.shownText());
}

void BrowsePanel::updateTitles() {
    static_cast<HeaderModel*>(model_)->titlesChanged();
}

void BrowsePanel::titleClicked(int column) {
    search_.titleClick(column);
    updateTitles();
    updateSearchLabel();
    refresh();
}

void BrowsePanel::rowActivated(const QModelIndex& current) {
    if (syncing_ || !current.isValid()) return;
    engine::Table& t = table();
    const std::uint32_t recno = model_->recnoAt(current.row());
    if (recno == 0 || !browsing(t) || recno == t.recno()) return;
    t.go(recno);
    emit currentChanged();
}

void BrowsePanel::navigate(void (engine::Table::*step)()) {
    engine::Table& t = table();
    if (!browsing(t)) return;
    model_->sync();
    (t.*step)();
    showCurrent();
    emit currentChanged();
}

void BrowsePanel::gridKey(QKeyEvent* e, bool& consumed) {
    consumed = false;
    const bool enterKey = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (config_.typeAhead) {
        if (const std::optional<int> code = virtualKeyOf(e->key(), e->text())) {
            search_.keyDown(*code);
            if (const std::optional<QChar> ch = typedCharOf(e->key(), e->text())) {
                model_->sync();
                search_.keyPress(*ch);
                refresh();
                // Typed characters are the search's; Tab and Esc go on to the
                // grid and the window.
                consumed = !(ch->unicode() == 9 || ch->unicode() == 27);
            }
            updateSearchLabel();
        }
    }
    if (enterKey) {
        consumed = true;
        emit activated();
    }
}

bool BrowsePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::ShortcutOverride && config_.typeAhead &&
        commandKey(static_cast<QKeyEvent*>(event))) {
        // Every key press passes here first, also one that a window's
        // shortcut takes before the grid would see it.
        clearSearch();
        return false;
    }
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        bool consumed = false;
        gridKey(static_cast<QKeyEvent*>(event), consumed);
        return consumed;
    }
    if (watched == grid_->viewport() && event->type() == QEvent::Paint && !refreshQueued_ &&
        model_->isStale()) {
        // The table was written elsewhere: take the rows again once this
        // paint is over.
        refreshQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            refreshQueued_ = false;
            refresh();
        });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace masters
