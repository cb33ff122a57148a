// Filling the check-box grid the way a list view does: two rows, then one
// row added per record from the second on, five text cells, the box enabled
// or disabled and ticked from the record's flag. "Fill" stops when the grid
// holds the rows; "FillAndPaint" also lets the shown grid repaint, as the
// user sees it. Runs under any Qt platform (QT_QPA_PLATFORM=offscreen
// without a display).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QList>
#include <QStringList>

#include "controls/super_grid.h"

namespace {

struct TRecord {
    QStringList Fields;  // state, party, name, e-mail address, home page
    bool Mailable;
    bool Selected;
};

QList<TRecord> Records(int count) {
    QList<TRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString name = QString("Member%1, Given").arg(i);
        const bool mailable = i % 3 != 0;
        records.append({{QString("S%1").arg(i % 50), i % 2 == 0 ? "D" : "R", name,
                         mailable ? QString("member%1@example.org").arg(i)
                                  : QString("https://member%1.example.gov/contact").arg(i),
                         QString("https://member%1.example.gov/").arg(i)},
                        mailable,
                        i % 7 == 0});
    }
    return records;
}

void Fill(TSuperGrid& grid, const QList<TRecord>& records) {
    grid.SetRowCount(2);
    grid.ClearRow(1);
    int row = 0;
    for (const TRecord& record : records) {
        ++row;
        if (row > 1)
            grid.SetRowCount(row + 1);
        for (int field = 0; field < record.Fields.size(); ++field)
            grid.SetCell(field + 2, row, record.Fields[field]);
        grid.SetCheckBoxEnabled(TSuperGrid::CheckColumn, row, record.Mailable);
        grid.SetChecked(TSuperGrid::CheckColumn, row, record.Selected);
    }
}

void Run(benchmark::State& state, bool paint) {
    const QList<TRecord> records = Records(static_cast<int>(state.range(0)));
    TSuperGrid grid;
    grid.SetColumns({{""},
                     {"email"},
                     {"St.", Qt::AlignHCenter},
                     {"Party", Qt::AlignHCenter},
                     {"Name"},
                     {"email Address", Qt::AlignLeft, true},
                     {"Home Page", Qt::AlignLeft, true}});
    grid.resize(760, 560);
    grid.show();
    QApplication::processEvents();
    for (auto _ : state) {
        Fill(grid, records);
        if (paint)
            grid.repaint();
        benchmark::DoNotOptimize(grid.RowCount());
        state.PauseTiming();
        // Start each round from an empty grid, as a filter change does.
        grid.SetRowCount(1);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Fill(benchmark::State& state) {
    Run(state, false);
}

void BM_FillAndPaint(benchmark::State& state) {
    Run(state, true);
}

BENCHMARK(BM_Fill)->Arg(441)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAndPaint)->Arg(441)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
