#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QDialog;
class QPoint;
class QWidget;

// The one way the windows put a message box or a standard dialog in front of
// the user, so that tests can answer them. All calls are modal and made on
// the user-interface thread; `parent` may be null and is not kept.
class IDialogs {
  public:
    virtual ~IDialogs() = default;

    // A warning with a single OK button.
    virtual void Warning(QWidget* parent, const QString& text) = 0;
    // The same with the box's top-left corner at `topLeft` on the screen.
    virtual void WarningAt(QWidget* parent, const QString& text, const QPoint& topLeft) = 0;
    // That warning with one more button, `action`, beside OK; true when the
    // user chose `action`.
    virtual bool WarningWithAction(QWidget* parent, const QString& text, const QPoint& topLeft,
                                   const QString& action) = 0;
    // A question with Yes and No buttons; true when the user chose Yes.
    virtual bool Question(QWidget* parent, const QString& text) = 0;
    // A question with OK and Cancel buttons; true when the user chose OK.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // The path of an existing file the user chose, or nothing on cancel.
    // `filter` uses the file dialog's syntax, e.g. "Text files (*.txt)".
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& caption,
                                            const QString& filter) = 0;
    // The path to save to, or nothing on cancel. `suggestedName` is the
    // initial file name (may be empty).
    virtual std::optional<QString> SaveFile(QWidget* parent, const QString& caption,
                                            const QString& filter,
                                            const QString& suggestedName) = 0;
    // The colour the user picked, starting from `initial`, or nothing on cancel.
    virtual std::optional<QColor> Colour(QWidget* parent, const QColor& initial) = 0;
    // Shows one of the program's own windows modally until the user closes
    // it; returns its result (QDialog::Accepted or Rejected).
    virtual int ShowModal(QDialog& window) = 0;
};

// The program's dialogs: QMessageBox, QFileDialog and QColorDialog, titled
// with the application's display name.
class TQtDialogs final : public IDialogs {
  public:
    void Warning(QWidget* parent, const QString& text) override;
    void WarningAt(QWidget* parent, const QString& text, const QPoint& topLeft) override;
    bool WarningWithAction(QWidget* parent, const QString& text, const QPoint& topLeft,
                           const QString& action) override;
    bool Question(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    std::optional<QString> OpenFile(QWidget* parent, const QString& caption,
                                    const QString& filter) override;
    std::optional<QString> SaveFile(QWidget* parent, const QString& caption, const QString& filter,
                                    const QString& suggestedName) override;
    std::optional<QColor> Colour(QWidget* parent, const QColor& initial) override;
    int ShowModal(QDialog& window) override;
};
