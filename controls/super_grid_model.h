#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

// Failures of the check-box grid, one class per kind, each with its fixed
// message.
class ESuperGridError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A check box was set or queried in a cell that has none (any column but the
// check-box column, the title row, or a row past the last).
class ENoCheckBox : public ESuperGridError {
  public:
    ENoCheckBox(int column, int row);
    int Column;
    int Row;
};

// A cell was written outside the grid.
class ENoCell : public ESuperGridError {
  public:
    ENoCell(int column, int row);
    int Column;
    int Row;
};

// The content of a check-box grid: a string grid whose row 0 is the title
// row and whose column 1 holds a check box in every row below it. The public
// interface counts rows as the grid shows them (row 0 the titles, rows 1 ...
// the data); Qt's item interface sees the data rows only, as model rows 0 ...,
// with the titles as horizontal header data.
//
// A check box is ticked or unticked, and enabled or disabled; a disabled box
// is always unticked and refuses ticks from the program and the user alike.
// Program changes raise no signal; a user's change (setData with
// Qt::CheckStateRole, which the grid and the accessibility layer use) raises
// CheckBoxToggled.
//
// Rows alternate between the odd-row colour (rows 1, 3, 5 ...) and the
// even-row colour (rows 2, 4 ...); the title row and the fixed columns take
// the fixed colour. GUI thread only.
class TSuperGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int CheckColumn = 1;
    // Whether a cell's check box is enabled, as a bool (data() only).
    static constexpr int CheckBoxEnabledRole = Qt::UserRole + 1;
    // Navy, as the link columns are drawn.
    static const QColor LinkColour;

    explicit TSuperGridModel(QObject* parent = nullptr);

    // Rows including the title row; at least 1. New rows are blank with an
    // enabled, unticked box; the rows kept keep their text and boxes.
    int RowCount() const { return static_cast<int>(Rows.size()) + 1; }
    void SetRowCount(int rows);
    // Columns including the zero-wide column 0; at least 1. New columns are
    // untitled, left-aligned and in the grid's font.
    int ColCount() const { return static_cast<int>(Columns.size()); }
    void SetColCount(int columns);

    // Row 0 holds the column titles. Reading outside the grid gives an empty
    // text; writing there raises ENoCell.
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);
    // Empties a data row and gives it an enabled, unticked box. ENoCell
    // outside the data rows.
    void ClearRow(int row);

    // ENoCheckBox for a cell without a box.
    bool Checked(int column, int row) const;
    void SetChecked(int column, int row, bool checked);
    bool CheckBoxEnabled(int column, int row) const;
    void SetCheckBoxEnabled(int column, int row, bool enabled);
    bool HasCheckBox(int column, int row) const;

    // Per-column alignment (of the title and the cells) and cell font; ENoCell
    // for a column outside the grid. A column without a font of its own uses
    // the grid's font, in black.
    Qt::Alignment ColumnAlignment(int column) const;
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    void SetColumnFont(int column, const QFont& font, const QColor& colour);
    // The column's text in `base` underlined and navy.
    void SetLinkColumn(int column, const QFont& base);
    // The column's text in the grid's font, black.
    void SetPlainColumn(int column);
    std::optional<QFont> ColumnFont(int column) const;
    QColor ColumnColour(int column) const;

    QColor OddRowColour() const { return OddColour; }
    QColor EvenRowColour() const { return EvenColour; }
    void SetRowColours(const QColor& odd, const QColor& even);
    QColor FixedColour() const { return TitleColour; }
    void SetFixedColour(const QColor& colour);
    // The leading columns drawn in the fixed colour; column 0 is always one.
    int FixedCols() const { return Fixed; }
    void SetFixedCols(int columns);

    // The grid row a model index shows, and back.
    static int GridRow(const QModelIndex& index) { return index.row() + 1; }
    QModelIndex IndexOf(int column, int row) const { return index(row - 1, column); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  signals:
    // A user ticked or unticked the box of (column, row).
    void CheckBoxToggled(int column, int row, bool checked);

  private:
    struct TColumn {
        QString Title;
        Qt::Alignment Alignment = Qt::AlignLeft;
        std::optional<QFont> Font;
        QColor Colour = Qt::black;
    };
    struct TRow {
        QList<QString> Cells;  // may be shorter than the column count
        bool Checked = false;
        bool Enabled = true;
    };

    TRow& BoxRow(int column, int row);
    const TRow& BoxRow(int column, int row) const;
    TColumn& ColumnAt(int column);
    const TColumn& ColumnAt(int column) const;
    void ColumnChanged(int column);

    QList<TColumn> Columns;
    std::vector<TRow> Rows;  // grid rows 1 ...
    QColor OddColour = Qt::white;
    QColor EvenColour = Qt::white;
    QColor TitleColour{192, 192, 192};
    int Fixed = 1;
};
