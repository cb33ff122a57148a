#pragma once

#include <QDialog>
#include <functional>

// The shell's small windows: the first-run welcome, the about window and the
// grid colour window. Fixed-size dialogs with only a close box; each lives on
// the user-interface thread and is shown modally through IDialogs::ShowModal.

class IDialogs;
class QFrame;
class QLabel;
class QPushButton;
class TWallpaper;

// Where the about and colour windows open when shown: centred over their
// parent (the main window), or at its edge on an axis where the centred
// window would reach the screen's edge (PlaceDialog).
void PlaceOverParent(QWidget& window);

// "Welcome to Quorvane", shown once at the first run; the main window places
// it. OK closes it.
class TfrmStartUp : public QDialog {
  public:
    explicit TfrmStartUp(QWidget* parent = nullptr);

    TWallpaper* Wallpaper1;
    QPushButton* btnOK;
};

// "About Quorvane": the program's name, version and the maker's web site,
// which OpenSite opens in the browser pane. Created once, hidden and shown
// again; OK hides it. The tiled background shows only on displays of more
// than 256 colours (LowColourMode read at each showing); the window is plain
// navy otherwise.
class TfrmAbout : public QDialog {
  public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    // Opens an address in the main window's browser pane; may be empty.
    std::function<void(const QString& address)> OpenSite;

    TWallpaper* Wallpaper1;
    QLabel* lblLink;
    QPushButton* btnOK;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void lblLinkClick();
};

// "Grid Color Settings": the even and odd row colours of the list grid. On
// each showing the swatches take the settings' colours; "Change..." asks for
// a colour through `dialogs`; OK stores both in the settings, applies them
// (ApplyColours) and writes the settings file; Cancel and the close box
// change nothing. Created once; `dialogs` must outlive it.
class TfrmColor : public QDialog {
  public:
    TfrmColor(QWidget* parent, IDialogs& dialogs);

    // Puts the settings' row colours on the grid; may be empty.
    std::function<void()> ApplyColours;

    QFrame* shpEven;
    QFrame* shpOdd;
    QPushButton* btnEven;
    QPushButton* btnOdd;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    QColor EvenColour() const;
    QColor OddColour() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ChangeClick(QFrame* swatch);
    void btnOKClick();

    IDialogs& dialogs_;
};

// A colour setting (red in bits 0 to 7, green 8 to 15, blue 16 to 23) as a
// colour, and back.
QColor SettingColour(int value);
int ColourSetting(const QColor& colour);
