// Filling web contact forms in the browser engine: the fill script on a
// page, and a walk through several officials' forms on one page.
//
// Both work on any QWebEnginePage they are given (the main window's browser
// pane, or a page without a view, as qvtool fill-form uses) and do not own
// it. They live on the user-interface thread, as the page does.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <functional>
#include <memory>
#include <vector>

#include "webforms/fill_result.h"
#include "webforms/fill_values.h"
#include "webforms/form_walk.h"

class QWebEngineLoadingInfo;

namespace qv::webforms {

// The script world the fill script runs in, apart from the page's own
// scripts and from any other script of the program.
inline constexpr quint32 kFillScriptWorld = QWebEngineScript::UserWorld + 1;

// The fill script's source (the field rules sit at its top).
QString FillScriptSource();

// Fills the form on one page. Constructing it adds the fill script to the
// page's scripts (every document the page loads gets it, in
// kFillScriptWorld); destroying it removes the script again. The page must
// outlive the filler, or the filler must be its child.
//
// While active, each main-frame load that finishes fills the page, so that a
// form that comes in several steps (a ZIP code first, then the form) is
// filled at each step. Fill() fills the page as it is now. Each fill ends in
// exactly one signal: Filled, or FillFailed when the script could not run.
// A main-frame load that fails while active ends in LoadFailed instead (an
// HTTP error status counts as failed: its page holds no form to fill).
class TFormFiller : public QObject {
    Q_OBJECT

  public:
    explicit TFormFiller(QWebEnginePage& page, QObject* parent = nullptr);
    ~TFormFiller() override;

    QWebEnginePage* Page() const { return page_; }

    // The values the next fills use.
    void SetValues(const TFillValues& values);

    void SetActive(bool active) { active_ = active; }
    bool IsActive() const { return active_; }

    // Fills the page's current document ("Fill Again").
    void Fill();

  signals:
    void Filled(const qv::webforms::TFillResult& result);
    void FillFailed(const QString& reason);
    void LoadFailed(const QUrl& url, const QString& reason);

  private:
    void LoadingChanged(const QWebEngineLoadingInfo& info);
    void RunFill(bool defineFirst);
    void FillDone(const QVariant& answer, bool definedFirst);

    QPointer<QWebEnginePage> page_;
    QWebEngineScript script_;
    QString valuesJson_ = "{}";
    bool active_ = false;
};

// A walk through the forms of several officials on one page: opens each
// official's form in turn, fills it at every step while it is open, and marks
// each official done, skipped or stopped at in the given TWalkMarks. The
// window over it shows Walk().Caption() in its bar and offers Next, Skip,
// Stop and Fill Again; nothing here ever submits a form.
//
// `navigate` opens an address in the page (the main window's NavigateTo);
// empty, the page loads it itself. `page` and `marks` must outlive the
// walker.
class TFormWalker : public QObject {
    Q_OBJECT

  public:
    using TNavigate = std::function<void(const QUrl&)>;

    TFormWalker(QWebEnginePage& page, TWalkMarks& marks, TNavigate navigate = {},
                QObject* parent = nullptr);
    ~TFormWalker() override;

    // Starts a walk at the first of `stops` (a walk in progress is stopped
    // first) and opens that official's form; an empty list ends at once.
    // Each official's form is filled with FillValuesFor(values, its record).
    void Start(std::vector<TWalkStop> stops, const TFillValues& values);
    // Changes the values for the fills still to come (the user edited the
    // contact details or the letter).
    void SetValues(const TFillValues& values);

    void Next();       // marks the official done and opens the next form
    void Skip();       // marks the official skipped and opens the next form
    void Stop();       // marks the official stopped at and ends the walk
    void FillAgain();  // fills the open form again

    bool IsActive() const { return walk_ && walk_->Active(); }
    // The walk in progress or the last one; nullptr before the first Start.
    const TFormWalk* Walk() const { return walk_.get(); }
    TFormFiller& Filler() { return filler_; }

  signals:
    // The walk moved to another official, or ended (Caption() is then "").
    void Moved();
    // The walk ended: past the last official, or stopped.
    void Finished();

  private:
    void Open();
    void Moving(void (TFormWalk::*step)());

    TWalkMarks& marks_;
    TNavigate navigate_;
    TFillValues values_;  // before the placeholders are read for an official
    TFormFiller filler_;
    std::unique_ptr<TFormWalk> walk_;
};

}  // namespace qv::webforms
