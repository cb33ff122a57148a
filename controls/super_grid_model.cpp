#include "controls/super_grid_model.h"

#include <QBrush>
#include <algorithm>
#include <string>

namespace {

std::string CellText(int column, int row) {
    return std::to_string(column) + ", row " + std::to_string(row);
}

}  // namespace

ENoCheckBox::ENoCheckBox(int column, int row)
    : ESuperGridError("TSuperGrid: No check box at column " + CellText(column, row)),
      Column(column),
      Row(row) {}

ENoCell::ENoCell(int column, int row)
    : ESuperGridError("TSuperGrid: No cell at column " + CellText(column, row)),
      Column(column),
      Row(row) {}

const QColor TSuperGridModel::LinkColour{0, 0, 128};

TSuperGridModel::TSuperGridModel(QObject* parent) : QAbstractTableModel(parent) {
    Columns.resize(2);
}

void TSuperGridModel::SetRowCount(int rows) {
    const int dataRows = std::max(rows, 1) - 1;
    const int current = static_cast<int>(Rows.size());
    if (dataRows > current) {
        beginInsertRows({}, current, dataRows - 1);
        Rows.resize(dataRows);
        endInsertRows();
    } else if (dataRows < current) {
        beginRemoveRows({}, dataRows, current - 1);
        Rows.resize(dataRows);
        endRemoveRows();
    }
}

void TSuperGridModel::SetColCount(int columns) {
    const int count = std::max(columns, 1);
    const int current = ColCount();
    if (count > current) {
        beginInsertColumns({}, current, count - 1);
        Columns.resize(count);
        endInsertColumns();
    } else if (count < current) {
        beginRemoveColumns({}, count, current - 1);
        Columns.resize(count);
        for (TRow& row : Rows)
            if (row.Cells.size() > count)
                row.Cells.resize(count);
        endRemoveColumns();
    }
}

QString TSuperGridModel::Cell(int column, int row) const {
    if (column < 0 || column >= ColCount() || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return Columns[column].Title;
    const QList<QString>& cells = Rows[row - 1].Cells;
    return column < cells.size() ? cells[column] : QString();
}

void TSuperGridModel::SetCell(int column, int row, const QString& text) {
    if (column < 0 || column >= ColCount() || row < 0 || row >= RowCount())
        throw ENoCell(column, row);
    if (row == 0) {
        Columns[column].Title = text;
        emit headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    QList<QString>& cells = Rows[row - 1].Cells;
    if (column >= cells.size()) {
        if (text.isEmpty())
            return;
        cells.resize(column + 1);
    }
    cells[column] = text;
    const QModelIndex changed = IndexOf(column, row);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void TSuperGridModel::ClearRow(int row) {
    if (row < 1 || row >= RowCount())
        throw ENoCell(0, row);
    Rows[row - 1] = TRow();
    emit dataChanged(IndexOf(0, row), IndexOf(ColCount() - 1, row));
}

bool TSuperGridModel::HasCheckBox(int column, int row) const {
    return column == CheckColumn && column < ColCount() && row >= 1 && row < RowCount();
}

TSuperGridModel::TRow& TSuperGridModel::BoxRow(int column, int row) {
    if (!HasCheckBox(column, row))
        throw ENoCheckBox(column, row);
    return Rows[row - 1];
}

const TSuperGridModel::TRow& TSuperGridModel::BoxRow(int column, int row) const {
    if (!HasCheckBox(column, row))
        throw ENoCheckBox(column, row);
    return Rows[row - 1];
}

bool TSuperGridModel::Checked(int column, int row) const {
    return BoxRow(column, row).Checked;
}

void TSuperGridModel::SetChecked(int column, int row, bool checked) {
    TRow& box = BoxRow(column, row);
    const bool state = checked && box.Enabled;
    if (box.Checked == state)
        return;
    box.Checked = state;
    const QModelIndex changed = IndexOf(column, row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

bool TSuperGridModel::CheckBoxEnabled(int column, int row) const {
    return BoxRow(column, row).Enabled;
}

void TSuperGridModel::SetCheckBoxEnabled(int column, int row, bool enabled) {
    TRow& box = BoxRow(column, row);
    if (box.Enabled == enabled)
        return;
    box.Enabled = enabled;
    if (!enabled)
        box.Checked = false;
    const QModelIndex changed = IndexOf(column, row);
    emit dataChanged(changed, changed,
                     {Qt::CheckStateRole, CheckBoxEnabledRole, Qt::AccessibleDescriptionRole});
}

TSuperGridModel::TColumn& TSuperGridModel::ColumnAt(int column) {
    if (column < 0 || column >= ColCount())
        throw ENoCell(column, 0);
    return Columns[column];
}

const TSuperGridModel::TColumn& TSuperGridModel::ColumnAt(int column) const {
    if (column < 0 || column >= ColCount())
        throw ENoCell(column, 0);
    return Columns[column];
}

void TSuperGridModel::ColumnChanged(int column) {
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (!Rows.empty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

Qt::Alignment TSuperGridModel::ColumnAlignment(int column) const {
    return ColumnAt(column).Alignment;
}

void TSuperGridModel::SetColumnAlignment(int column, Qt::Alignment alignment) {
    ColumnAt(column).Alignment = alignment & Qt::AlignHorizontal_Mask;
    ColumnChanged(column);
}

void TSuperGridModel::SetColumnFont(int column, const QFont& font, const QColor& colour) {
    TColumn& target = ColumnAt(column);
    target.Font = font;
    target.Colour = colour;
    ColumnChanged(column);
}

void TSuperGridModel::SetLinkColumn(int column, const QFont& base) {
    QFont font = base;
    font.setUnderline(true);
    SetColumnFont(column, font, LinkColour);
}

void TSuperGridModel::SetPlainColumn(int column) {
    TColumn& target = ColumnAt(column);
    target.Font.reset();
    target.Colour = Qt::black;
    ColumnChanged(column);
}

std::optional<QFont> TSuperGridModel::ColumnFont(int column) const {
    return ColumnAt(column).Font;
}

QColor TSuperGridModel::ColumnColour(int column) const {
    return ColumnAt(column).Colour;
}

void TSuperGridModel::SetRowColours(const QColor& odd, const QColor& even) {
    OddColour = odd;
    EvenColour = even;
    if (!Rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

void TSuperGridModel::SetFixedColour(const QColor& colour) {
    TitleColour = colour;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (!Rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

void TSuperGridModel::SetFixedCols(int columns) {
    Fixed = std::max(columns, 1);
    if (!Rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

int TSuperGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TSuperGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColCount();
}

QVariant TSuperGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int column = index.column();
    const TRow& row = Rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return column < row.Cells.size() ? row.Cells[column] : QString();
        case Qt::CheckStateRole:
            if (column != CheckColumn)
                return {};
            return row.Checked ? Qt::Checked : Qt::Unchecked;
        case CheckBoxEnabledRole:
            return column == CheckColumn && row.Enabled;
        case Qt::AccessibleDescriptionRole:
            // Screen readers do not learn a cell's disabled state from Qt's
            // table cells, so a disabled box says so in words.
            if (column == CheckColumn && !row.Enabled)
                return QStringLiteral("unavailable");
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Columns[column].Alignment | Qt::AlignVCenter);
        case Qt::FontRole:
            if (Columns[column].Font)
                return *Columns[column].Font;
            return {};
        case Qt::ForegroundRole:
            return QBrush(Columns[column].Colour);
        case Qt::BackgroundRole:
            if (column < Fixed)
                return QBrush(TitleColour);
            // Model row 0 is grid row 1, an odd row.
            return QBrush(index.row() % 2 == 0 ? OddColour : EvenColour);
        default:
            return {};
    }
}

bool TSuperGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        index.column() != CheckColumn)
        return false;
    TRow& row = Rows[index.row()];
    const bool checked = value.toInt() == Qt::Checked;
    if (!row.Enabled)
        return false;
    if (row.Checked != checked) {
        row.Checked = checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit CheckBoxToggled(index.column(), GridRow(index), checked);
    }
    return true;
}

QVariant TSuperGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
        case Qt::DisplayRole:
            return Columns[section].Title;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Columns[section].Alignment | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return QBrush(TitleColour);
        default:
            return {};
    }
}

Qt::ItemFlags TSuperGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Every cell stays enabled, disabled boxes included, so that the cursor
    // keys reach every row; the box's own state is CheckBoxEnabledRole.
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == CheckColumn)
        result |= Qt::ItemIsUserCheckable;
    return result;
}
