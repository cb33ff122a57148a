// FillGrid in the main window's House view with every state and territory:
// the shipped house.dat (441 records) and a synthetic list of 10,000. Each
// round starts from a grid of one row, as after a filter that matched one
// official; "Paint" also repaints the shown grid. Runs under any Qt platform
// (QT_QPA_PLATFORM=offscreen without a display).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QWidget>
#include <string>

#include "app/app_state.h"
#include "app/browser.h"
#include "app/main_window.h"
#include "controls/dialogs.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"

namespace {

class TQuietDialogs : public IDialogs {
  public:
    void Warning(QWidget*, const QString&) override {}
    void WarningAt(QWidget*, const QString&, const QPoint&) override {}
    bool WarningWithAction(QWidget*, const QString&, const QPoint&, const QString&) override {
        return false;
    }
    bool Question(QWidget*, const QString&) override { return false; }
    bool Confirm(QWidget*, const QString&) override { return false; }
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&,
                                    const QString&) override {
        return {};
    }
    std::optional<QColor> Colour(QWidget*, const QColor&) override { return {}; }
    int ShowModal(QDialog&) override { return 0; }
};

class TNoBrowser : public QWidget, public IBrowser {
  public:
    using QWidget::QWidget;
    void Navigate(const QString&) override {}
    void GoBack() override {}
    void GoForward() override {}
    void Stop() override {}
    void Refresh() override {}
};

void SyntheticHouse(int records) {
    HouseList.Reset(6);
    for (int i = 0; i < records; ++i) {
        const std::string n = std::to_string(i);
        HouseList.AppendRow({i % 2 == 0 ? "OH" : "TX", std::to_string(i % 30 + 1),
                             i % 2 == 0 ? "D" : "R", "Member" + n + ", Given",
                             i % 3 == 0 ? "none" : "member" + n + "@example.org",
                             "https://member" + n + ".house.example/"});
    }
    HouseSelected.assign(records, 0);
    for (int i = 0; i < records; i += 7)
        HouseSelected[i] = 1;
}

void Run(benchmark::State& state, bool paint) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TQuietDialogs dialogs;
    TfrmMain frmMain(dialogs, {}, [](QWidget* parent) {
        auto* browser = new TNoBrowser(parent);
        return TBrowserPane{browser, browser};
    });
    frmMain.FormActivate();  // reads the shipped lists once, now
    if (state.range(0) == 0) {
        const std::string path = std::string(QV_RUNTIME_DIR) + "/house.dat";
        if (LoadOfficialList(path, HouseList, &HouseSelected) != 0) {
            state.SkipWithError("cannot read the shipped house.dat");
            return;
        }
    } else {
        SyntheticHouse(static_cast<int>(state.range(0)));
    }
    frmMain.resize(1000, 700);
    frmMain.show();
    frmMain.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 1);
    frmMain.cbTerritory->setCurrentIndex(0);
    QApplication::processEvents();
    int rows = 0;
    for (auto _ : state) {
        frmMain.FillGrid();
        rows = frmMain.SuperGrid1->RowCount() - 1;
        if (paint)
            frmMain.SuperGrid1->repaint();
        benchmark::DoNotOptimize(frmMain.SuperGrid1->RowCount());
        state.PauseTiming();
        frmMain.SuperGrid1->SetRowCount(2);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}

void BM_FillGrid(benchmark::State& state) {
    Run(state, false);
}

void BM_FillGridAndPaint(benchmark::State& state) {
    Run(state, true);
}

// Argument 0 is the shipped house.dat.
BENCHMARK(BM_FillGrid)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillGridAndPaint)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ProgramDirectory = std::string(QV_RUNTIME_DIR) + "/";
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
