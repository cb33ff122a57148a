#pragma once

#include <QMainWindow>
#include <QPointer>

#include "app/lifecycle.h"
#include "app/long_lived_windows.h"
#include "app/placement.h"

class IDialogs;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QTreeWidget;
class TAdvertisement;
class TSideBar;
class TfrmUpdate;
namespace qv {
class THttpClient;
}

// The display the main window opens on: bits per pixel and the size of the
// usable area.
struct TScreenInfo {
    int Depth;
    TScreenSize Size;
};

// The primary screen's depth and available geometry.
TScreenInfo PrimaryScreenInfo();

// The main window. Creating it starts the settings (reading the settings
// file, or creating it at the first run) and places the window; its first
// activation loads the lists, fills the side bar's link groups and runs the
// first-run steps, whose request goes on in the background; closing it
// stores its placement in the settings file and ends the program, dropping
// a first-run request still under way.
// Lives on the user-interface thread for the whole run.
class TfrmMain : public QMainWindow {
    Q_OBJECT

  public:
    enum TSideBarGroup {
        UsGovernmentGroup = 0,
        InternationalGroup = 1,
        MultimediaGroup = 2,
        AdditionalLinksGroup = 3
    };

    // `dialogs` must outlive the window. `firstRunRequest` starts the
    // first-run request; it may be empty, which counts as a failed request.
    TfrmMain(IDialogs& dialogs, TFirstRunRequest firstRunRequest,
             TScreenInfo screen = PrimaryScreenInfo(), QWidget* parent = nullptr);

    ~TfrmMain() override;

    void SetLongLivedWindows(const TLongLivedWindows& windows) { windows_ = windows; }

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

    // Parts of the window, owned by it and named as the program's code
    // refers to them.
    QWidget* Panel2;  // the navy banner strip
    QLabel* Image1;   // the logo picture
    QLabel* qnlabel;  // the caption shown instead of the logo in low-colour mode
    QWidget* Panel5;  // holds the sponsor banner
    TAdvertisement* Adimage1;  // empty when the advertising library is missing
    QSplitter* Splitter1;
    TSideBar* OutlookBar1;
    QWidget* ToolBar1;
    QWidget* pnlAddress;
    QLabel* lblAddress;
    QWidget* pnlURL;
    QLineEdit* txtURL;
    QStackedWidget* pnlContent;  // WebBrowser1, Panel6 or TreeView1
    QWidget* WebBrowser1;
    QWidget* Panel6;
    QTreeWidget* TreeView1;
    QStatusBar* StatusBar1;

    QAction* Open1;
    QAction* OrderingInfo1;
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

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void CreateBanner();
    void CreateSideBar();
    void CreateRightPane();
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
    void OutlookBar1ItemClick(int group, int item);

    // Writes the settings file; a refused write is shown as a warning.
    void SaveSettingsOrWarn();

    IDialogs& dialogs_;
    TFirstRunRequest firstRunRequest_;
    TScreenInfo screen_;
    TLongLivedWindows windows_;
    qv::THttpClient* httpClient_;  // the first-run request's
    bool firstActivation_ = true;
    int sideBarWidth_ = 0;  // to apply at the first showing
};
