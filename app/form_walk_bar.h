#pragma once

#include <QFrame>
#include <QString>
#include <functional>

#include "webforms/engine/form_filler.h"

class QLabel;
class QPushButton;
class QUrl;
class QWebEnginePage;

// What the bar says once a form has been filled: how many fields the fill
// put a value into and what is left for the user, who submits the form.
QString FillSummary(const qv::webforms::TFillResult& result);

// The bar above the browser pane while a walk through officials' web forms
// runs: "3 of 12: Sen. Jane Doe", what the last fill did, and the buttons
// "Fill Again", "Skip", "Next" and "Stop". It owns the walker, which opens
// each form through `navigate` (the main window's NavigateTo) and fills it
// on `page`, the browser pane's page. The bar shows itself while a walk is
// active and hides when it ends. Nothing here submits a form.
//
// `page` and `marks` must outlive the bar. User-interface thread only.
class TFormWalkBar : public QFrame {
    Q_OBJECT

  public:
    TFormWalkBar(QWebEnginePage& page, qv::webforms::TWalkMarks& marks,
                 std::function<void(const QUrl&)> navigate, QWidget* parent = nullptr);

    qv::webforms::TFormWalker& Walker() { return walker_; }

    QLabel* lblWalk;  // "3 of 12: Sen. Jane Doe"
    QLabel* lblFill;  // what the last fill did, or why the page could not be filled
    QPushButton* btnFillAgain;
    QPushButton* btnSkip;
    QPushButton* btnNext;
    QPushButton* btnStop;

  private:
    void Moved();
    void Filled(const qv::webforms::TFillResult& result);
    void ShowProblem(const QString& text);

    qv::webforms::TFormWalker walker_;
};
