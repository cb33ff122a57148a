#include "app/form_walk_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A pale yellow, as information bars above a page usually are.
const QColor kBarColour(255, 248, 204);

QString Plural(qsizetype count, const char* one, const char* many) {
    return QString("%1 %2").arg(count).arg(count == 1 ? one : many);
}

}  // namespace

QString FillSummary(const qv::webforms::TFillResult& result) {
    const qsizetype left = static_cast<qsizetype>(result.UnfilledRequired.size());
    QString text =
        result.Filled.empty()
            ? QString("No field of this page could be filled.")
            : QString("Filled %1 (green).")
                  .arg(Plural(static_cast<qsizetype>(result.Filled.size()), "field", "fields"));
    if (left > 0)
        text += QString(" %1 left for you (red).")
                    .arg(Plural(left, "required field is", "required fields are"));
    return text + " Check the form and submit it yourself, then press Next.";
}

TFormWalkBar::TFormWalkBar(QWebEnginePage& page, qv::webforms::TWalkMarks& marks,
                           std::function<void(const QUrl&)> navigate, QWidget* parent)
    : QFrame(parent), walker_(page, marks, std::move(navigate)) {
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName("Web form walk");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBarColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 8, 3);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    lblWalk = new QLabel(this);
    QFont bold = lblWalk->font();
    bold.setBold(true);
    lblWalk->setFont(bold);
    lblWalk->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFill = new QLabel(this);
    lblFill->setWordWrap(true);
    texts->addWidget(lblWalk);
    texts->addWidget(lblFill);
    layout->addLayout(texts, 1);

    // Mnemonics that none of the main window's menus and panels use.
    btnFillAgain = new QPushButton("F&ill Again", this);
    btnFillAgain->setToolTip("Fill the form again from your contact details and letter");
    btnSkip = new QPushButton("S&kip", this);
    btnSkip->setToolTip("Leave this form and go on to the next official");
    btnNext = new QPushButton("&Next", this);
    btnNext->setToolTip("This form is done: go on to the next official");
    btnStop = new QPushButton("Sto&p", this);
    btnStop->setToolTip("End the walk at this official");
    for (QPushButton* button : {btnFillAgain, btnSkip, btnNext, btnStop}) {
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(btnFillAgain, &QPushButton::clicked, &walker_, &qv::webforms::TFormWalker::FillAgain);
    connect(btnSkip, &QPushButton::clicked, &walker_, &qv::webforms::TFormWalker::Skip);
    connect(btnNext, &QPushButton::clicked, &walker_, &qv::webforms::TFormWalker::Next);
    connect(btnStop, &QPushButton::clicked, &walker_, &qv::webforms::TFormWalker::Stop);

    using qv::webforms::TFormFiller;
    connect(&walker_, &qv::webforms::TFormWalker::Moved, this, &TFormWalkBar::Moved);
    connect(&walker_.Filler(), &TFormFiller::Filled, this, &TFormWalkBar::Filled);
    connect(&walker_.Filler(), &TFormFiller::FillFailed, this, [this](const QString& reason) {
        ShowProblem("The form could not be filled: " + reason);
    });
    connect(&walker_.Filler(), &TFormFiller::LoadFailed, this,
            [this](const QUrl&, const QString& reason) {
                ShowProblem("The form did not load (" + reason +
                            "). Press Fill Again after reloading it, or Skip.");
            });
    hide();
}

void TFormWalkBar::Moved() {
    const qv::webforms::TFormWalk* walk = walker_.Walk();
    const bool active = walker_.IsActive();
    setVisible(active);
    if (!active)
        return;
    lblWalk->setText(QString::fromStdString(walk->Caption()));
    lblFill->setText("Opening the form...");
    setAccessibleDescription(lblWalk->text());
}

void TFormWalkBar::Filled(const qv::webforms::TFillResult& result) {
    if (walker_.IsActive())
        lblFill->setText(FillSummary(result));
}

void TFormWalkBar::ShowProblem(const QString& text) {
    if (walker_.IsActive())
        lblFill->setText(text);
}
