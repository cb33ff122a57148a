#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mail/windows/contact_edits.h"
#include "webforms/fill_values.h"
#include "webforms/form_officials.h"

class IDialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TSuperGrid;
namespace qv::sent {
class TSentRecords;
class TWebFormRecord;
}  // namespace qv::sent
namespace qv::webforms {
class TFormWalk;
class TFormWalker;
class TWalkMarks;
}  // namespace qv::webforms

// "Web Forms": writing one letter to the officials who take letters only
// through a contact form on their web site. It lists those officials from
// the loaded lists with a filter by state and party and ticks of its own
// (kept by official while the program runs, apart from the main grid's),
// holds the letter and the contact details it is filled from, and starts a
// walk through the ticked officials' forms on the main window's browser
// pane. The window steps aside while the walk runs and comes back when it
// ends, showing beside each name what became of the form.
//
// A top-level window owned by the main window, created once and kept, so
// that ticks and letter survive its closing. It reads the process-wide lists
// and Settings; Start stores the contact details in Settings and writes the
// settings file. `dialogs`, `marks` and `walker` (null where the browser
// pane cannot fill forms) must outlive it. User-interface thread only.
class TfrmWebForms : public QWidget {
    Q_OBJECT

  public:
    TfrmWebForms(QWidget* mainWindow, IDialogs& dialogs, qv::webforms::TWalkMarks& marks,
                 qv::webforms::TFormWalker* walker);
    ~TfrmWebForms() override;

    // Where each walk is recorded, official by official, for Sent Messages;
    // null records nothing. Must outlive the window.
    void SetSentRecords(qv::sent::TSentRecords* records) { records_ = records; }

    // The compose window's last subject and text, if it has any; may be
    // empty. Taken when the window is shown and its letter is untouched.
    std::function<std::optional<qv::webforms::TLetter>()> LastComposedLetter;

    // Reads the officials from the lists again (after a list update),
    // keeping the ticks and the filter.
    void Reload();
    // Ticks exactly the officials with these keys (TWebFormOfficial::Key)
    // and sets the filter to show them: their state when they share one,
    // else every state.
    void TickOnly(const std::vector<std::string>& keys);
    // The ticked officials, in list order, whether the filter shows them or not.
    std::vector<qv::webforms::TWebFormOfficial> TickedOfficials() const;
    // The letter and the details the forms get, as the window holds them now.
    qv::webforms::TLetter Letter() const;
    std::string FormEmail() const;

    void btnStartClick();
    void btnLoadLetterClick();

    QComboBox* cbState;
    QComboBox* cbParty;
    TSuperGrid* SuperGrid1;
    QPushButton* btnSelectAll;
    QPushButton* btnClear;
    QLabel* lblCount;
    QTabWidget* PageControl1;
    QLineEdit* txtSubject;
    QPlainTextEdit* Memo1;
    QPushButton* btnLoadLetter;
    QLineEdit* txtEmail;         // the address the forms get; not saved
    TContactEdits ContactEdits;  // as the compose window's
    QPushButton* btnStart;
    QPushButton* btnClose;

  signals:
    // A walk began: the e-mail address the forms get and the letter.
    void WalkStarted(const QString& from, const qv::webforms::TLetter& letter);
    // The walk moved on or ended; `marks` tells what became of each form.
    void WalkMoved(const qv::webforms::TFormWalk& walk, const qv::webforms::TWalkMarks& marks);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* CreateListPane();
    QWidget* CreateLetterTab();
    QWidget* CreateContactTab();
    void FillGrid();
    void ShowResults();
    void ShowCount();
    void TickShown(bool ticked);
    void SuperGrid1CheckBoxClick(int column, int row, bool checked);
    void TakeComposedLetter();
    void LoadContactDetails();
    qv::webforms::TFillValues FillValues() const;
    void DetailsEdited();
    void WalkMovedOn();
    void BeginRecord(const qv::webforms::TLetter& letter);
    void ReportRecordProblem();

    IDialogs& dialogs_;
    qv::webforms::TWalkMarks& marks_;
    qv::webforms::TFormWalker* walker_;
    std::vector<qv::webforms::TWebFormOfficial> officials_;
    std::vector<std::size_t> rows_;  // grid row 1, 2 ... -> index into officials_
    std::set<std::string> ticked_;   // by key
    // The letter last taken from the compose window, to tell whether the
    // user has changed it here since.
    std::optional<qv::webforms::TLetter> takenLetter_;
    // Set while the window has stepped aside for a walk it started.
    bool awayForWalk_ = false;
    qv::sent::TSentRecords* records_ = nullptr;
    // The record of the walk under way, from its start to its end.
    std::unique_ptr<qv::sent::TWebFormRecord> record_;
    QString recordNotice_;  // why the record could not be opened, if it could not
};
