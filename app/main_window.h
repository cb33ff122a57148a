#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/lifecycle.h"
#include "app/list_views.h"
#include "app/long_lived_windows.h"
#include "app/my_officials.h"
#include "app/placement.h"
#include "mail/windows/composed_letter.h"
#include "update/dates_file.h"
#include "webforms/fill_values.h"
#include "webforms/form_walk.h"

class IBrowser;
class IDialogs;
class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class TAdvertisement;
class TFormWalkBar;
class TSideBar;
class TSuperGrid;
class TfrmUpdate;
class TfrmWebForms;
namespace qv {
class THttpClient;
class TZipDistricts;
}  // namespace qv
namespace qv::sent {
class TSentRecords;
}

// The display the main window opens on: bits per pixel and the size of the
// usable area.
struct TScreenInfo {
    int Depth;
    TScreenSize Size;
};

// The primary screen's depth and available geometry.
TScreenInfo PrimaryScreenInfo();

// The browser pane: the control the window drives and the widget that shows
// its pages (in practice one object, owned by the widget's parent).
struct TBrowserPane {
    QWidget* View;
    IBrowser* Browser;
};

// Makes the browser pane as a child of `parent`: the program's engine, or a
// fake in tests.
using TBrowserFactory = std::function<TBrowserPane(QWidget* parent)>;

// The main window. Creating it starts the settings (reading the settings
// file, or creating it at the first run) and places the window; its first
// activation loads the lists, fills the side bar's link groups and runs the
// first-run steps, whose request goes on in the background; closing it
// stores its placement in the settings file and ends the program, dropping
// a first-run request still under way.
// Lives on the user-interface thread for the whole run.
class TfrmMain : public QMainWindow, public IComposedLetterKeeper {
    Q_OBJECT

  public:
    enum TSideBarGroup {
        UsGovernmentGroup = 0,
        InternationalGroup = 1,
        MultimediaGroup = 2,
        AdditionalLinksGroup = 3
    };
    // The US Government group's last item, after "House Voting".
    static constexpr int MyOfficialsItem = 5;

    // `dialogs` must outlive the window. `firstRunRequest` starts the
    // first-run request; it may be empty, which counts as a failed request.
    // `browser` makes the browser pane, once, while the window is created.
    TfrmMain(IDialogs& dialogs, TFirstRunRequest firstRunRequest, const TBrowserFactory& browser,
             TScreenInfo screen = PrimaryScreenInfo(), QWidget* parent = nullptr);

    ~TfrmMain() override;

    // The windows created once at start; the about window's link and the
    // colour window's OK act on this window.
    void SetLongLivedWindows(const TLongLivedWindows& windows);

    // Creates the list update window, which starts its check at once (the
    // automatic check at start; the manual one once ManualCheck is set). A
    // previous update window is closed first.
    void CreateUpdateWindow();

    // The first activation's steps; any later call does nothing. The window
    // calls it itself when it is first activated. At the first run the steps
    // after the first-run request follow when the request ends.
    void FormActivate();

    // Appends misc.dat's Multimedia and Additional Links records to the side
    // bar's third and fourth groups, in file order.
    void BuildLinkGroups();

    // File, "Close": takes the state into the settings and ends the program.
    void Close1Click();

    // The one way the program opens an address: shows the browser pane in
    // place of the list panel or the tree, enables the address box and the
    // browser buttons, and asks the browser to open `address` (a "mailto:"
    // address goes to the system's mail program).
    void NavigateTo(const QString& address);

    // Rebuilds the grid's rows of the current view from its list, its filter
    // and the selection flags; also after a window changed the flags.
    void FillGrid();
    // Fills the World Parliaments tree view from ParliamentTree, afresh.
    void FillTreeView();

    // Windows that other parts of the program provide, each opened from one
    // place here; while a hook is empty its command does nothing.
    // "Full Select...": the party selection window, shown modally.
    std::function<void()> ShowPartySelection;
    // An e-mail cell clicked while the system's mail program is not used:
    // the compose window, shown with `address` in its To box.
    std::function<void(const QString& address)> ComposeTo;
    // A compose window's subject and text as it was left or closed: the
    // Web Forms window's letter, unless the user wrote another there.
    void KeepComposedLetter(const QString& subject, const QString& text) override;

    // File, "Write Through Web Forms...": the Web Forms window, created at
    // the first call and kept; it comes to the front.
    void ShowWebForms();
    // Where the Web Forms window records its walks; null (as at first)
    // records nothing. Must outlive the window.
    void SetSentRecords(qv::sent::TSentRecords* records);
    // Whether the list the grid shows has officials whose contact is a web
    // form (in My Officials, the ZIP code's officials).
    bool CurrentListHasWebForms() const;
    // My Officials: looks up the ZIP code in txtZipCode and shows its
    // officials, or says why it cannot.
    void LookUpZip();

    // For each grid row 1, 2, ... of the Senate or House view, the position
    // of the record it shows; entry 0 stands for the title row.
    std::vector<int> GridRowMap;

    // Parts of the window, owned by it and named as the program's code
    // refers to them.
    QWidget* Panel2;           // the navy banner strip
    QLabel* Image1;            // the logo picture
    QLabel* qnlabel;           // the caption shown instead of the logo in low-colour mode
    QWidget* Panel5;           // holds the sponsor banner
    TAdvertisement* Adimage1;  // empty when the advertising library is missing
    QSplitter* Splitter1;
    TSideBar* OutlookBar1;
    QWidget* ToolBar1;
    QToolButton* ToolButton1;  // back
    QToolButton* ToolButton2;  // forward
    QToolButton* ToolButton3;  // stop
    QToolButton* ToolButton4;  // refresh
    QToolButton* ToolButton5;  // home: the online start page
    QToolButton* ToolButton8;  // send: the recipient review window
    QToolButton* ToolButton6;  // news
    QWidget* pnlAddress;
    QLabel* lblAddress;
    QWidget* pnlURL;
    QLineEdit* txtURL;
    QStackedWidget* pnlContent;  // WebBrowser1, Panel6 or TreeView1
    QWidget* WebBrowser1;        // the browser pane's widget
    QWidget* Panel6;             // the list panel
    QLabel* lblBranch;
    QLabel* lblGroup;
    QComboBox* cbSName;
    QComboBox* cbTerritory;
    QComboBox* cbContinent;
    QPushButton* Button1;  // "Select All"
    QPushButton* Button2;  // "Clear"
    QPushButton* Button3;  // "Full Select..."
    QPushButton* Button4;  // "Web Forms...": the Web Forms window
    QPushButton* Button5;  // "My Officials"
    QLineEdit* txtZipCode;     // My Officials' ZIP code
    QPushButton* btnZipLookUp;
    QLabel* lblZipResult;      // the ZIP code's state and districts, or why none
    TSuperGrid* SuperGrid1;
    QTreeWidget* TreeView1;
    QStatusBar* StatusBar1;

    QAction* Open1;
    QAction* OrderingInfo1;
    QAction* WebForms1;  // "Write Through Web Forms..."
    QAction* SentMessages1;  // the program's entry connects it to the record's window
    QAction* Close1;
    QAction* ConnectionSettings1;
    QAction* GridColors1;
    QAction* CheckForListUpdates1;
    QAction* UseExternalEmail1;
    QAction* OnlineHelp1;
    QAction* OnlineSupport1;
    QAction* About1;
    // The grid's context menu, with its one item; the grid shows it on a
    // right click.
    QMenu* PopupMenu1;
    QAction* GridColors2;
    // The current list update window; it deletes itself when closed.
    QPointer<TfrmUpdate> frmUpdate;
    // The bar above the browser pane while a walk through web forms runs;
    // null when the browser pane is no web engine (tests).
    TFormWalkBar* pnlFormWalk = nullptr;
    // Created with its first showing.
    QPointer<TfrmWebForms> frmWebForms;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls(const TBrowserFactory& browser);
    void CreateBanner();
    void CreateSideBar();
    void CreateRightPane(const TBrowserFactory& browser);
    void CreateToolButtons(QLayout* bar);
    void CreateListPanel();
    void CreateTreeView();
    void CreateMenus();

    void FormCreate();
    void FormShow();
    void FormResize();
    void FormCloseQuery();
    void FormClose();

    void RunFirstRunSequence();
    void FirstRunRequestDone(bool sent);
    void FinishFirstActivation();
    void ShowWelcomeWindow();
    void ShowConnectionSettings();

    void UseExternalEmail1Click();
    void CheckForListUpdates1Click();
    void GridColors1Click();
    void About1Click();
    void ListReloaded(qv::TUpdateList list);
    void OutlookBar1ItemClick(int group, int item);

    // The list views (main_window_lists.cpp).
    void ShowListPanel(bool leaders);
    void ShowFilterBox(QComboBox* box);
    void EnterSenateOrHouse(TListView view);
    void EnterWhiteHouse();
    void EnterWorldLeaders();
    void SwitchView(TListView view);
    void SetViewColumns(TListView view);
    void StoreColumnWidths();
    void SetColumnWidths();
    void ApplyRowColours();
    void FillOfficials();
    void FillLeaders();
    void TickAll(bool checked);
    void cbSNameChange();
    void cbTerritoryChange();
    void cbContinentChange();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void SuperGrid1CheckBoxClick(int column, int row, bool checked);
    void SuperGrid1Click(int column, int row);
    void SuperGrid1MouseMove(QPoint position);
    void TreeView1DblClick();
    std::span<int> ColumnWidths();

    // My Officials (main_window_officials.cpp).
    void ShowZipRow(bool shown);
    void EnterMyOfficials();
    void FillMyOfficials();
    const qv::TZipDistricts* ZipTable();
    std::vector<std::string> MyWebFormKeys() const;
    void Button4Click();

    // The browser buttons 1 to 5; the list views and the tree turn them off.
    void EnableBrowserButtons(bool enabled);
    bool txtURLKeyPress(const QKeyEvent& key);
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void ToolButton6Click();
    void ToolButton8Click();
    void WebBrowser1BeforeNavigate2(const QString& address);
    void WebBrowser1StatusTextChange(const QString& text);
    void Open1Click();
    void OrderingInfo1Click();
    void OnlineHelp1Click();
    void OnlineSupport1Click();

    // Writes the settings file; a refused write is shown as a warning.
    void SaveSettingsOrWarn();

    IDialogs& dialogs_;
    TFirstRunRequest firstRunRequest_;
    TScreenInfo screen_;
    TLongLivedWindows windows_;
    qv::THttpClient* httpClient_;  // the first-run request's
    bool firstActivation_ = true;
    int sideBarWidth_ = 0;         // to apply at the first showing
    IBrowser* browser_ = nullptr;  // owned through WebBrowser1
    // The state or territory box that the White House view leaves showing.
    QComboBox* lastStateBox_ = nullptr;
    // Set once the first page load has ended; until then a failed load
    // replaces the online start page by the local copy.
    bool startPageSettled_ = false;

    // What became of each official's web form on the walks of this run.
    qv::webforms::TWalkMarks formMarks_;
    std::optional<qv::webforms::TLetter> composedLetter_;
    qv::sent::TSentRecords* sentRecords_ = nullptr;
    // The ZIP code table, read at its first use.
    std::unique_ptr<qv::TZipDistricts> zipTable_;
    // My Officials: the five digits looked up last (empty before a lookup or
    // after one that failed), and the rows shown from it.
    std::string myZip_;
    std::vector<TMyOfficialRow> myRows_;
    // My Officials' column widths for this run (no settings key keeps them).
    std::array<int, 9> myWidths_{0, 40, 85, 35, 40, 45, 170, 220, 220};
};
