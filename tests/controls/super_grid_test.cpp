#include "controls/super_grid.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <functional>

namespace {

struct TToggle {
    int Column;
    int Row;
    bool Checked;
    bool operator==(const TToggle&) const = default;
};

const QColor Odd(255, 232, 215);
const QColor Even(215, 226, 255);

// A Senate-like grid: rows 1 to 3, the box of row 2 disabled, column 2
// left blank so that its cells show the plain row colour.
class SuperGridTest : public testing::Test {
  public:
    void SetUp() override {
        Grid.SetColumns({{""},
                         {"email"},
                         {"St.", Qt::AlignHCenter},
                         {"Name"},
                         {"email Address", Qt::AlignLeft, true}});
        Grid.SetRowCount(4);
        const char* names[] = {"Alabama", "Alaska", "Arizona"};
        for (int row = 1; row <= 3; ++row) {
            Grid.SetCell(3, row, names[row - 1]);
            Grid.SetCell(4, row, QString("person%1@example.org").arg(row));
        }
        Grid.SetCheckBoxEnabled(1, 2, false);
        Grid.SetRowColours(Odd, Even);
        const int widths[] = {0, 37, 30, 110, 160};
        for (int column = 0; column < 5; ++column)
            Grid.SetColWidth(column, widths[column]);
        Grid.resize(400, 200);
        Grid.show();
        QApplication::processEvents();
    }

    QPoint Centre(int column, int row) const {
        return Grid.visualRect(Grid.Model().IndexOf(column, row)).center();
    }

    void Click(int column, int row) {
        QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Centre(column, row));
    }

    // Where a title cell is, in the title row's own coordinates.
    QPoint TitleCentre(int column) const {
        const QHeaderView* titles = Grid.horizontalHeader();
        return {titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                titles->height() / 2};
    }

    std::array<bool, 3> Ticks() const {
        return {Grid.Checked(1, 1), Grid.Checked(1, 2), Grid.Checked(1, 3)};
    }

    QColor ColourAt(int column, int row) {
        const QImage image = Grid.grab().toImage();
        return image.pixelColor(Grid.viewport()->mapTo(&Grid, Centre(column, row)));
    }

    TSuperGrid Grid;
};

QList<TToggle> Toggles(const QSignalSpy& spy) {
    QList<TToggle> toggles;
    for (const QList<QVariant>& event : spy)
        toggles.append({event[0].toInt(), event[1].toInt(), event[2].toBool()});
    return toggles;
}

TEST_F(SuperGridTest, TicksByMouseKeyboardAndProgram) {
    struct TCase {
        const char* Name;
        std::function<void(SuperGridTest&)> Act;
        std::array<bool, 3> Ticks;
        QList<TToggle> Events;
    };
    const TCase cases[] = {
        {"click on a box", [](SuperGridTest& t) { t.Click(1, 1); }, {true, false, false},
         {{1, 1, true}}},
        {"two clicks",
         [](SuperGridTest& t) {
             t.Click(1, 3);
             t.Click(1, 3);
         },
         {false, false, false},
         {{1, 3, true}, {1, 3, false}}},
        {"double click",
         [](SuperGridTest& t) {
             // As the window system delivers it: the second press comes as a
             // double click.
             QWidget* cells = t.Grid.viewport();
             const QPoint point = t.Centre(1, 1);
             QTest::mousePress(cells, Qt::LeftButton, {}, point);
             QTest::mouseRelease(cells, Qt::LeftButton, {}, point);
             QMouseEvent second(QEvent::MouseButtonDblClick, point, cells->mapToGlobal(point),
                                Qt::LeftButton, Qt::LeftButton, {});
             QApplication::sendEvent(cells, &second);
             QTest::mouseRelease(cells, Qt::LeftButton, {}, point);
         },
         {false, false, false},
         {{1, 1, true}, {1, 1, false}}},
        {"click on a disabled box", [](SuperGridTest& t) { t.Click(1, 2); }, {false, false, false},
         {}},
        {"press on one box, release on another",
         [](SuperGridTest& t) {
             QTest::mousePress(t.Grid.viewport(), Qt::LeftButton, {}, t.Centre(1, 1));
             QTest::mouseRelease(t.Grid.viewport(), Qt::LeftButton, {}, t.Centre(1, 3));
         },
         {false, false, false},
         {}},
        {"click beside the box", [](SuperGridTest& t) { t.Click(3, 1); }, {false, false, false},
         {}},
        {"Space on the focused row and on a disabled one",
         [](SuperGridTest& t) {
             t.Grid.setFocus();
             t.Grid.setCurrentIndex(t.Grid.Model().IndexOf(3, 3));
             QTest::keyClick(&t.Grid, Qt::Key_Space);
             QTest::keyClick(&t.Grid, Qt::Key_Up);
             QTest::keyClick(&t.Grid, Qt::Key_Space);
         },
         {false, false, true},
         {{1, 3, true}}},
        {"by program, disabled box included",
         [](SuperGridTest& t) {
             t.Grid.SetChecked(1, 1, true);
             t.Grid.SetChecked(1, 2, true);
         },
         {true, false, false},
         {}},
        {"disabling a ticked box unticks it",
         [](SuperGridTest& t) {
             t.Grid.SetChecked(1, 3, true);
             t.Grid.SetCheckBoxEnabled(1, 3, false);
             t.Click(1, 3);
         },
         {false, false, false},
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int row = 1; row <= 3; ++row) {
            Grid.SetCheckBoxEnabled(1, row, row != 2);
            Grid.SetChecked(1, row, false);
        }
        QSignalSpy toggled(&Grid, &TSuperGrid::CheckBoxClick);
        c.Act(*this);
        EXPECT_EQ(Ticks(), c.Ticks);
        EXPECT_EQ(Toggles(toggled), c.Events);
    }
}

TEST_F(SuperGridTest, CellsWithoutABoxAreErrors) {
    struct TCase {
        int Column;
        int Row;
        const char* Message;
    };
    const TCase cases[] = {
        {0, 1, "TSuperGrid: No check box at column 0, row 1"},
        {2, 3, "TSuperGrid: No check box at column 2, row 3"},
        {1, 0, "TSuperGrid: No check box at column 1, row 0"},
        {1, 4, "TSuperGrid: No check box at column 1, row 4"},
        {1, -1, "TSuperGrid: No check box at column 1, row -1"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        const auto expectError = [&](const std::function<void()>& call) {
            try {
                call();
                ADD_FAILURE() << "no error";
            } catch (const ENoCheckBox& error) {
                EXPECT_STREQ(error.what(), c.Message);
                EXPECT_EQ(error.Column, c.Column);
                EXPECT_EQ(error.Row, c.Row);
            }
        };
        expectError([&] { Grid.SetChecked(c.Column, c.Row, true); });
        expectError([&] { (void)Grid.Checked(c.Column, c.Row); });
        expectError([&] { Grid.SetCheckBoxEnabled(c.Column, c.Row, false); });
    }
    EXPECT_THROW(Grid.SetCell(5, 1, "x"), ENoCell);
    EXPECT_THROW(Grid.SetCell(2, 4, "x"), ENoCell);
    EXPECT_EQ(Grid.Cell(2, 4), "");
    EXPECT_EQ(Grid.Cell(3, 0), "Name");
    EXPECT_EQ(Grid.Cell(3, 2), "Alaska");
}

TEST_F(SuperGridTest, RowsAlternateColoursAndNothingIsHighlighted) {
    EXPECT_EQ(Grid.RowHeight(0), TSuperGrid::TitleRowHeight);
    EXPECT_EQ(Grid.RowHeight(1), TSuperGrid::DefaultRowHeight);
    EXPECT_EQ(Grid.rowHeight(2), 22);
    EXPECT_EQ(ColourAt(2, 1), Odd);
    EXPECT_EQ(ColourAt(2, 2), Even);
    EXPECT_EQ(ColourAt(2, 3), Odd);

    // Recoloured while shown, as the grid colour window does.
    Grid.SetRowColours(Qt::yellow, Qt::cyan);
    EXPECT_EQ(ColourAt(2, 1), QColor(Qt::yellow));
    EXPECT_EQ(ColourAt(2, 2), QColor(Qt::cyan));

    // A clicked and focused cell keeps its row colour, also when reached
    // with the keyboard, which frames it.
    Grid.setFocus();
    Click(2, 2);
    EXPECT_EQ(Grid.currentIndex(), Grid.Model().IndexOf(2, 2));
    EXPECT_EQ(ColourAt(2, 2), QColor(Qt::cyan));
    EXPECT_FALSE(Grid.ShowsFocusFrame());
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_TRUE(Grid.ShowsFocusFrame());
    EXPECT_EQ(ColourAt(2, 3), QColor(Qt::yellow));
    EXPECT_TRUE(Grid.selectionModel()->selectedIndexes().isEmpty());

    // Rows added later take their colours by position; fixed columns take
    // the title row's.
    Grid.SetRowCount(6);
    EXPECT_EQ(ColourAt(2, 4), QColor(Qt::cyan));
    EXPECT_EQ(ColourAt(2, 5), QColor(Qt::yellow));
    Grid.SetFixedColour(Qt::gray);
    Grid.SetFixedCols(3);
    EXPECT_EQ(ColourAt(2, 4), QColor(Qt::gray));
    EXPECT_EQ(ColourAt(3, 4), QColor(Qt::cyan));
}

TEST_F(SuperGridTest, ColumnWidthsHiddenColumnsAndDragging) {
    EXPECT_EQ(Grid.ColWidth(0), 0);
    Grid.SetColWidth(0, 50);
    EXPECT_EQ(Grid.ColWidth(0), 0);
    EXPECT_EQ(Grid.ColWidth(2), 30);
    Grid.SetColWidth(2, 0);
    EXPECT_EQ(Grid.ColWidth(2), 0);

    Grid.SetColumnHidden(4, true);
    EXPECT_EQ(Grid.ColWidth(4), 0);
    Grid.SetColWidth(4, 120);
    Grid.SetColumnHidden(4, false);
    EXPECT_EQ(Grid.ColWidth(4), 120);
    EXPECT_THROW(Grid.SetColWidth(5, 10), ENoCell);

    // Dragging the border after "Name" widens it; the drag is no click.
    QSignalSpy clicks(&Grid, &TSuperGrid::Click);
    QWidget* titles = Grid.horizontalHeader()->viewport();
    const QHeaderView* header = Grid.horizontalHeader();
    const QPoint border(header->sectionViewportPosition(3) + header->sectionSize(3) - 1, 10);
    QTest::mousePress(titles, Qt::LeftButton, {}, border);
    QTest::mouseMove(titles, border + QPoint(15, 0));
    QTest::mouseMove(titles, border + QPoint(30, 0));
    QTest::mouseRelease(titles, Qt::LeftButton, {}, border + QPoint(30, 0));
    EXPECT_EQ(Grid.ColWidth(3), 140);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(SuperGridTest, ClicksSelectionAndPointerPositions) {
    QSignalSpy selected(&Grid, &TSuperGrid::SelectCell);
    QSignalSpy clicked(&Grid, &TSuperGrid::Click);
    QSignalSpy moved(&Grid, &TSuperGrid::MouseMove);

    Click(4, 2);
    QTest::mouseClick(Grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, TitleCentre(4));
    Grid.setFocus();
    QTest::keyClick(&Grid, Qt::Key_Down);
    QTest::keyClick(&Grid, Qt::Key_Return);
    const auto pairs = [](const QSignalSpy& spy) {
        QList<QPoint> cells;
        for (const QList<QVariant>& event : spy)
            cells.append({event[0].toInt(), event[1].toInt()});
        return cells;
    };
    EXPECT_EQ(pairs(selected), (QList<QPoint>{{4, 2}, {4, 3}}));
    EXPECT_EQ(pairs(clicked), (QList<QPoint>{{4, 2}, {4, 0}, {4, 3}}));

    // Moves over the titles and the cells report points MouseCoord maps back.
    QTest::mouseMove(Grid.horizontalHeader()->viewport(), TitleCentre(3));
    QTest::mouseMove(Grid.viewport(), Centre(4, 1));
    ASSERT_GE(moved.count(), 2);
    EXPECT_EQ(Grid.MouseCoord(moved[moved.count() - 2][0].toPoint()), (TGridCoord{3, 0}));
    EXPECT_EQ(Grid.MouseCoord(moved.back()[0].toPoint()), (TGridCoord{4, 1}));

    const QPoint belowRows = Grid.viewport()->mapTo(&Grid, Centre(4, 3) + QPoint(0, 30));
    EXPECT_EQ(Grid.MouseCoord(belowRows), TGridCoord{});
    const QPoint pastColumns = Grid.viewport()->mapTo(&Grid, QPoint(380, Centre(4, 1).y()));
    EXPECT_EQ(Grid.MouseCoord(pastColumns), TGridCoord{});
}

TEST_F(SuperGridTest, ScreenReaderReadsAndTogglesTicks) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&Grid);
    ASSERT_NE(table, nullptr);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->cellAt(0, 3)->text(QAccessible::Name), "Alabama");
    EXPECT_EQ(cells->columnDescription(4), "email Address");

    Grid.SetChecked(1, 3, true);
    QAccessibleInterface* third = cells->cellAt(2, 1);
    EXPECT_TRUE(third->state().checkable);
    EXPECT_TRUE(third->state().checked);
    EXPECT_FALSE(cells->cellAt(0, 1)->state().checked);

    QSignalSpy toggled(&Grid, &TSuperGrid::CheckBoxClick);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    ASSERT_TRUE(third->actionInterface()->actionNames().contains(toggle));
    third->actionInterface()->doAction(toggle);
    cells->cellAt(0, 1)->actionInterface()->doAction(toggle);
    QAccessibleInterface* disabled = cells->cellAt(1, 1);
    disabled->actionInterface()->doAction(toggle);
    EXPECT_EQ(disabled->text(QAccessible::Description), "unavailable");

    EXPECT_EQ(Ticks(), (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(Toggles(toggled), (QList<TToggle>{{1, 3, false}, {1, 1, true}}));
    EXPECT_TRUE(cells->cellAt(0, 1)->state().checked);
    EXPECT_TRUE(Grid.selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(SuperGridTest, RightClickShowsThePopupMenu) {
    QMenu menu;
    menu.addAction("Grid Colors...");
    Grid.SetPopupMenu(&menu);
    const QPoint point = Centre(3, 1);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, Grid.viewport()->mapToGlobal(point));
    QApplication::sendEvent(Grid.viewport(), &event);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

}  // namespace
