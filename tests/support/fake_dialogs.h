#pragma once

#include <QDialog>
#include <QPoint>
#include <QStringList>
#include <deque>
#include <functional>

#include "controls/dialogs.h"

// Answers the windows' message boxes and dialogs without showing them:
// records every warning and question, and hands out queued answers. With no
// answer queued, questions get No and dialogs are cancelled; an empty path
// or an invalid colour in the queue also cancels.
class TFakeDialogs : public IDialogs {
  public:
    void Warning(QWidget*, const QString& text) override { Warnings.append(text); }

    void WarningAt(QWidget*, const QString& text, const QPoint& topLeft) override {
        Warnings.append(text);
        WarningPositions.append(topLeft);
    }

    // Recorded as a warning; answered from ActionAnswers (no action when
    // none is queued).
    bool WarningWithAction(QWidget* parent, const QString& text, const QPoint& topLeft,
                           const QString& action) override {
        WarningAt(parent, text, topLeft);
        WarningActions.append(action);
        if (ActionAnswers.empty())
            return false;
        const bool answer = ActionAnswers.front();
        ActionAnswers.pop_front();
        return answer;
    }

    bool Question(QWidget*, const QString& text) override {
        Questions.append(text);
        if (QuestionAnswers.empty())
            return false;
        const bool answer = QuestionAnswers.front();
        QuestionAnswers.pop_front();
        return answer;
    }

    // Confirmations are recorded and answered like questions, from the same
    // queue.
    bool Confirm(QWidget* parent, const QString& text) override { return Question(parent, text); }

    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&) override {
        return Take(OpenAnswers);
    }

    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&,
                                    const QString&) override {
        return Take(SaveAnswers);
    }

    std::optional<QColor> Colour(QWidget*, const QColor&) override {
        const QColor answer = ColourAnswers.isEmpty() ? QColor() : ColourAnswers.takeFirst();
        if (!answer.isValid()) return std::nullopt;
        return answer;
    }

    int ShowModal(QDialog& window) override {
        ModalWindows.append(window.windowTitle());
        if (ModalAnswers.empty())
            return QDialog::Rejected;
        const auto answer = std::move(ModalAnswers.front());
        ModalAnswers.pop_front();
        return answer(window);
    }

    QStringList Warnings;
    QList<QPoint> WarningPositions;  // of the warnings placed by the caller
    QStringList WarningActions;      // the extra buttons offered
    std::deque<bool> ActionAnswers;
    QStringList Questions;
    std::deque<bool> QuestionAnswers;
    QStringList OpenAnswers;
    QStringList SaveAnswers;
    QList<QColor> ColourAnswers;
    QStringList ModalWindows;
    std::deque<std::function<int(QDialog&)>> ModalAnswers;

private:
    static std::optional<QString> Take(QStringList& answers) {
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answer.isEmpty()) return std::nullopt;
        return answer;
    }
};
