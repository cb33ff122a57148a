#include "controls/super_grid.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

namespace {

constexpr int TextMargin = 2;

// Draws a cell in its row colour: a centred check box in the check-box
// column, elsewhere the text in the column's font, colour and alignment.
// Nothing is ever drawn as selected; while the keyboard is in use the
// focused cell gets a dotted frame, so that keyboard users see where they are.
class TSuperGridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QWidget* view = option.widget;
        QStyle* style = view != nullptr ? view->style() : QApplication::style();
        painter->save();
        painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QBrush>());
        if (index.column() == TSuperGridModel::CheckColumn) {
            QStyleOptionViewItem box(option);
            const int width = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, view);
            const int height = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, view);
            box.rect = QStyle::alignedRect(option.direction, Qt::AlignCenter,
                                           QSize(width, height), option.rect);
            box.state = QStyle::State_None;
            if (index.data(TSuperGridModel::CheckBoxEnabledRole).toBool())
                box.state |= QStyle::State_Enabled;
            else
                box.palette.setCurrentColorGroup(QPalette::Disabled);
            box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                               : QStyle::State_Off;
            if (option.rect.width() > 0)
                style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, view);
        } else {
            const QString text = index.data(Qt::DisplayRole).toString();
            if (!text.isEmpty()) {
                const QVariant font = index.data(Qt::FontRole);
                if (font.isValid())
                    painter->setFont(font.value<QFont>());
                else
                    painter->setFont(option.font);
                painter->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
                const QRect area = option.rect.adjusted(TextMargin, 0, -TextMargin, 0);
                const auto alignment =
                    static_cast<Qt::Alignment>(index.data(Qt::TextAlignmentRole).toInt());
                const QString shown =
                    painter->fontMetrics().elidedText(text, Qt::ElideRight, area.width());
                painter->setClipRect(option.rect);
                painter->drawText(area, static_cast<int>(alignment), shown);
            }
        }
        // A dotted outline, not the style's focus frame, which some styles
        // fill with a tint.
        const auto* grid = qobject_cast<const TSuperGrid*>(view);
        if ((option.state & QStyle::State_HasFocus) && grid != nullptr && grid->ShowsFocusFrame() &&
            option.rect.width() > 2) {
            painter->setClipRect(option.rect);
            painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        }
        painter->restore();
    }

    // Boxes change through the grid's own mouse and key handling only.
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                     const QModelIndex&) override {
        return false;
    }
};

// Keeps no selection, so no cell is ever highlighted. Qt's accessible table
// cells toggle by selecting the cell; selecting a check-box cell is taken as
// the screen reader's toggle of its box and goes to the model as a user's
// change. The grid itself never selects (see selectionCommand).
class TCheckToggleSelection : public QItemSelectionModel {
  public:
    using QItemSelectionModel::QItemSelectionModel;

    void select(const QModelIndex& index, SelectionFlags command) override {
        if (!(command & Select) || (command & (Rows | Columns)) || !index.isValid() ||
            index.column() != TSuperGridModel::CheckColumn)
            return;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

    void select(const QItemSelection& selection, SelectionFlags command) override {
        if (selection.size() == 1 && selection.front().topLeft() == selection.front().bottomRight())
            select(selection.front().topLeft(), command);
    }
};

}  // namespace

TSuperGrid::TSuperGrid(QWidget* parent)
    : QTableView(parent), Content(new TSuperGridModel(this)) {
    QTableView::setModel(Content);
    setSelectionModel(new TCheckToggleSelection(Content, this));
    // Not NoSelection: Qt's accessible cells ignore their toggle action then.
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TSuperGridDelegate(this));
    setTabKeyNavigation(false);
    setWordWrap(false);
    setMouseTracking(true);

    QHeaderView* titles = horizontalHeader();
    titles->setMinimumSectionSize(0);
    titles->setDefaultSectionSize(DefaultColWidth);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setFixedHeight(TitleRowHeight);
    titles->viewport()->setMouseTracking(true);
    titles->viewport()->installEventFilter(this);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(0);
    rows->setDefaultSectionSize(DefaultRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    Content->SetRowCount(2);
    SetColCount(2);
    connect(Content, &TSuperGridModel::CheckBoxToggled, this,
            [this](int column, int row, bool checked) {
                AnnounceToggle(column, row);
                emit CheckBoxClick(column, row, checked);
            });
}

void TSuperGrid::SetColCount(int columns) {
    Content->SetColCount(columns);
    horizontalHeader()->hideSection(0);
}

void TSuperGrid::SetColumns(const QList<TGridColumn>& columns) {
    SetColCount(static_cast<int>(columns.size()));
    for (int column = 0; column < columns.size(); ++column) {
        const TGridColumn& format = columns[column];
        Content->SetCell(column, 0, format.Title);
        Content->SetColumnAlignment(column, format.Alignment);
        if (format.Link)
            Content->SetLinkColumn(column, font());
        else
            Content->SetPlainColumn(column);
    }
}

void TSuperGrid::RequireColumn(int column) const {
    if (column < 0 || column >= ColCount())
        throw ENoCell(column, 0);
}

void TSuperGrid::RequireRow(int row) const {
    if (row < 0 || row >= RowCount())
        throw ENoCell(0, row);
}

int TSuperGrid::ColWidth(int column) const {
    RequireColumn(column);
    return horizontalHeader()->sectionSize(column);
}

void TSuperGrid::SetColWidth(int column, int width) {
    RequireColumn(column);
    if (column == 0)
        return;
    QHeaderView* titles = horizontalHeader();
    if (titles->isSectionHidden(column)) {
        // A hidden section reports 0; show it for a moment to set its size.
        titles->showSection(column);
        titles->resizeSection(column, std::max(width, 0));
        titles->hideSection(column);
    } else {
        titles->resizeSection(column, std::max(width, 0));
    }
}

bool TSuperGrid::ColumnHidden(int column) const {
    RequireColumn(column);
    return horizontalHeader()->isSectionHidden(column);
}

void TSuperGrid::SetColumnHidden(int column, bool hidden) {
    RequireColumn(column);
    if (column != 0)
        horizontalHeader()->setSectionHidden(column, hidden);
}

int TSuperGrid::RowHeight(int row) const {
    RequireRow(row);
    if (row == 0)
        return horizontalHeader()->height();
    return verticalHeader()->sectionSize(row - 1);
}

void TSuperGrid::SetRowHeight(int row, int height) {
    RequireRow(row);
    if (row == 0)
        horizontalHeader()->setFixedHeight(std::max(height, 0));
    else
        verticalHeader()->resizeSection(row - 1, std::max(height, 0));
}

TGridCoord TSuperGrid::CellAtViewport(QPoint position) const {
    const int row = rowAt(position.y());
    const int column = columnAt(position.x());
    if (row < 0 || column < 0)
        return {};
    return {column, row + 1};
}

TGridCoord TSuperGrid::MouseCoord(QPoint position) const {
    const QHeaderView* titles = horizontalHeader();
    if (titles->isVisible()) {
        const QPoint inTitles = titles->viewport()->mapFrom(this, position);
        if (titles->viewport()->rect().contains(inTitles)) {
            const int column = titles->logicalIndexAt(inTitles.x());
            return column < 0 ? TGridCoord{} : TGridCoord{column, 0};
        }
    }
    const QPoint inCells = viewport()->mapFrom(this, position);
    if (!viewport()->rect().contains(inCells))
        return {};
    return CellAtViewport(inCells);
}

void TSuperGrid::ToggleByUser(int column, int row) {
    if (!Content->HasCheckBox(column, row) || !Content->CheckBoxEnabled(column, row))
        return;
    Content->setData(Content->IndexOf(column, row),
                     Content->Checked(column, row) ? Qt::Unchecked : Qt::Checked,
                     Qt::CheckStateRole);
}

void TSuperGrid::AnnounceToggle(int column, int row) {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* cell =
        table != nullptr && table->tableInterface() != nullptr
            ? table->tableInterface()->cellAt(row - 1, column)
            : nullptr;
    if (cell == nullptr)
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(cell, changed);
    QAccessible::updateAccessibility(&event);
}

void TSuperGrid::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason)
        KeyboardInUse = true;
    QTableView::focusInEvent(event);
}

void TSuperGrid::mousePressEvent(QMouseEvent* event) {
    if (KeyboardInUse) {
        KeyboardInUse = false;
        viewport()->update();
    }
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    Pressed = CellAtViewport(event->position().toPoint());
    if (Pressed.Row >= 1)
        emit SelectCell(Pressed.Column, Pressed.Row);
}

void TSuperGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press like any other: quick
    // clicks on a box toggle it each time.
    mousePressEvent(event);
}

void TSuperGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const TGridCoord pressed = std::exchange(Pressed, TGridCoord{});
    const TGridCoord released = CellAtViewport(event->position().toPoint());
    if (released.Row < 1 || released != pressed)
        return;
    ToggleByUser(released.Column, released.Row);
    emit Click(released.Column, released.Row);
}

void TSuperGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    emit MouseMove(viewport()->mapTo(this, event->position().toPoint()));
}

bool TSuperGrid::eventFilter(QObject* watched, QEvent* event) {
    QWidget* titles = horizontalHeader()->viewport();
    if (watched != titles)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit MouseMove(titles->mapTo(this, mouse->position().toPoint()));
            break;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                TitlePressPoint = mouse->position().toPoint();
                TitlePressed = horizontalHeader()->logicalIndexAt(TitlePressPoint);
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                break;
            const QPoint point = mouse->position().toPoint();
            const int column = horizontalHeader()->logicalIndexAt(point);
            const int pressed = std::exchange(TitlePressed, -1);
            // A drag on a title border resizes a column; it is no click.
            if (column >= 0 && column == pressed &&
                (point - TitlePressPoint).manhattanLength() < QApplication::startDragDistance())
                emit Click(column, 0);
            break;
        }
        default:
            break;
    }
    return QTableView::eventFilter(watched, event);
}

void TSuperGrid::keyPressEvent(QKeyEvent* event) {
    if (!KeyboardInUse) {
        KeyboardInUse = true;
        viewport()->update();
    }
    const QModelIndex current = currentIndex();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && current.isValid()) {
        const int row = TSuperGridModel::GridRow(current);
        switch (event->key()) {
            case Qt::Key_Space:
                ToggleByUser(CheckColumn, row);
                event->accept();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                emit Click(current.column(), row);
                event->accept();
                return;
            default:
                break;
        }
    }
    QTableView::keyPressEvent(event);
    const QModelIndex moved = currentIndex();
    if (moved.isValid() && moved != current)
        emit SelectCell(moved.column(), TSuperGridModel::GridRow(moved));
}

void TSuperGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (PopupMenu == nullptr) {
        QTableView::contextMenuEvent(event);
        return;
    }
    PopupMenu->popup(event->globalPos());
    event->accept();
}

QItemSelectionModel::SelectionFlags TSuperGrid::selectionCommand(const QModelIndex&,
                                                                 const QEvent*) const {
    return QItemSelectionModel::NoUpdate;
}
