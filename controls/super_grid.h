#pragma once

#include <QList>
#include <QPoint>
#include <QTableView>

#include "controls/super_grid_model.h"

class QMenu;

// A grid cell as the grid numbers it: row 0 is the title row.
struct TGridCoord {
    int Column = -1;
    int Row = -1;

    bool operator==(const TGridCoord&) const = default;
};

// One column of a view, for TSuperGrid::SetColumns.
struct TGridColumn {
    QString Title;
    Qt::Alignment Alignment = Qt::AlignLeft;
    // Link columns are drawn navy and underlined, the others black.
    bool Link = false;
};

// A string grid with a check box in every row of column 1, for lists of
// people to tick. Row 0 is the title row (20 pixels high), rows 1 ... are
// data rows (22 pixels). Column 0 is always zero wide; the user resizes the
// other columns by dragging their title borders.
//
// Coordinates are (column, row) as the grid shows them, both in the
// accessors and in the signals. The content lives in a TSuperGridModel owned
// by the grid; its header states the check-box and colour rules. Accessors
// that name a cell outside the grid raise ENoCell, check-box accessors on a
// cell without a box ENoCheckBox; reading a cell's text outside the grid
// gives an empty text.
//
// Cells are never highlighted (keyboard users see a dotted frame round the
// focused cell). A left-button press and release on the same
// check-box cell toggles its box unless it is disabled and raises
// CheckBoxClick; Space does the same for the focused row. Changes made by
// the program raise nothing. The ticks are the model's Qt::CheckStateRole,
// so a screen reader reads them and can toggle them (its toggle goes through
// the same path as a click).
//
// How a list view drives it (one call per step):
//   grid.SetColumns({{""}, {"email"}, {"St.", Qt::AlignHCenter}, ...,
//                    {"email Address", Qt::AlignLeft, true}, ...});
//   grid.SetFixedCols(1);
//   grid.SetRowCount(2); grid.ClearRow(1);
//   per record: grid.SetRowCount(row + 1) from the second on, SetCell(...),
//               SetCheckBoxEnabled(1, row, ...), SetChecked(1, row, ...)
//   widths:     grid.ColWidth(c) / grid.SetColWidth(c, w) for c = 1 .. last
// and connects CheckBoxClick (tick flags), SelectCell and Click (act on the
// last two columns of a row >= 1), MouseMove with MouseCoord (hover cursor,
// set with setCursor on the grid), and SetPopupMenu (the grid's menu).
//
// GUI thread only; Qt parent ownership. The pop-up menu is not owned.
class TSuperGrid : public QTableView {
    Q_OBJECT

  public:
    static constexpr int CheckColumn = TSuperGridModel::CheckColumn;
    static constexpr int DefaultRowHeight = 22;
    static constexpr int TitleRowHeight = 20;
    static constexpr int DefaultColWidth = 64;

    explicit TSuperGrid(QWidget* parent = nullptr);

    TSuperGridModel& Model() { return *Content; }
    const TSuperGridModel& Model() const { return *Content; }

    // Rows including the title row, columns including column 0.
    int RowCount() const { return Content->RowCount(); }
    void SetRowCount(int rows) { Content->SetRowCount(rows); }
    int ColCount() const { return Content->ColCount(); }
    void SetColCount(int columns);
    // Sets the column count to the list's size and each column's title,
    // alignment and font.
    void SetColumns(const QList<TGridColumn>& columns);

    QString Cell(int column, int row) const { return Content->Cell(column, row); }
    void SetCell(int column, int row, const QString& text) { Content->SetCell(column, row, text); }
    void ClearRow(int row) { Content->ClearRow(row); }

    bool Checked(int column, int row) const { return Content->Checked(column, row); }
    void SetChecked(int column, int row, bool checked) { Content->SetChecked(column, row, checked); }
    bool CheckBoxEnabled(int column, int row) const {
        return Content->CheckBoxEnabled(column, row);
    }
    void SetCheckBoxEnabled(int column, int row, bool enabled) {
        Content->SetCheckBoxEnabled(column, row, enabled);
    }

    QString ColumnTitle(int column) const { return Content->Cell(column, 0); }
    void SetColumnTitle(int column, const QString& title) { Content->SetCell(column, 0, title); }
    Qt::Alignment ColumnAlignment(int column) const { return Content->ColumnAlignment(column); }
    void SetColumnAlignment(int column, Qt::Alignment alignment) {
        Content->SetColumnAlignment(column, alignment);
    }
    void SetColumnFont(int column, const QFont& font, const QColor& colour = Qt::black) {
        Content->SetColumnFont(column, font, colour);
    }
    // The grid's font, underlined and navy.
    void SetLinkColumn(int column) { Content->SetLinkColumn(column, font()); }

    // Width in pixels as shown: 0 for column 0 and hidden columns. Setting
    // column 0's width does nothing; a hidden column keeps the width it gets
    // for when it is shown again.
    int ColWidth(int column) const;
    void SetColWidth(int column, int width);
    bool ColumnHidden(int column) const;
    void SetColumnHidden(int column, bool hidden);
    int FixedCols() const { return Content->FixedCols(); }
    void SetFixedCols(int columns) { Content->SetFixedCols(columns); }

    // Row 0's height is the title row's. A data row of height 0 disappears.
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);

    QColor OddRowColour() const { return Content->OddRowColour(); }
    QColor EvenRowColour() const { return Content->EvenRowColour(); }
    // May be called at any time; the grid repaints.
    void SetRowColours(const QColor& odd, const QColor& even) { Content->SetRowColours(odd, even); }
    void SetFixedColour(const QColor& colour) { Content->SetFixedColour(colour); }

    // The cell under `position` (in this widget's coordinates), the title
    // row included; {-1, -1} outside the cells, below the last row for one.
    TGridCoord MouseCoord(QPoint position) const;

    // The focused cell is framed while the keyboard is in use (after a key
    // press or Tab into the grid, until the next mouse press).
    bool ShowsFocusFrame() const { return KeyboardInUse; }

    // Shown on a right click or the menu key; null for none.
    void SetPopupMenu(QMenu* menu) { PopupMenu = menu; }
    QMenu* Popup() const { return PopupMenu; }

  signals:
    // A user ticked or unticked the box of (column, row); `checked` is the
    // new state.
    void CheckBoxClick(int column, int row, bool checked);
    // A data cell was pressed or reached with the cursor keys.
    void SelectCell(int column, int row);
    // A press and release on the same cell (row 0 for a title), or Enter on
    // the focused cell.
    void Click(int column, int row);
    // The pointer moved over the grid, titles included; `position` is in
    // this widget's coordinates.
    void MouseMove(QPoint position);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

  private:
    using QTableView::setModel;

    // ENoCell unless the grid has the column or row.
    void RequireColumn(int column) const;
    void RequireRow(int row) const;
    TGridCoord CellAtViewport(QPoint position) const;
    void ToggleByUser(int column, int row);
    void AnnounceToggle(int column, int row);

    TSuperGridModel* Content;
    QMenu* PopupMenu = nullptr;
    TGridCoord Pressed;
    bool KeyboardInUse = false;
    int TitlePressed = -1;
    QPoint TitlePressPoint;
};
