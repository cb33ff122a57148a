#pragma once

#include <QStringList>
#include <deque>

#include "controls/dialogs.h"

// Answers the windows' message boxes and dialogs without showing them:
// records every warning and question, and hands out queued answers (No,
// cancel when none are queued).
class TFakeDialogs : public IDialogs {
  public:
    void Warning(QWidget*, const QString& text) override { Warnings.append(text); }

    bool Question(QWidget*, const QString& text) override {
        Questions.append(text);
        if (QuestionAnswers.empty())
            return false;
        const bool answer = QuestionAnswers.front();
        QuestionAnswers.pop_front();
        return answer;
    }

    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&) override {
        return Take(OpenAnswers);
    }

    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&,
                                    const QString&) override {
        return Take(SaveAnswers);
    }

    std::optional<QColor> Colour(QWidget*, const QColor&) override {
        if (ColourAnswers.empty())
            return std::nullopt;
        const std::optional<QColor> answer = ColourAnswers.front();
        ColourAnswers.pop_front();
        return answer;
    }

    QStringList Warnings;
    QStringList Questions;
    std::deque<bool> QuestionAnswers;
    std::deque<std::optional<QString>> OpenAnswers;
    std::deque<std::optional<QString>> SaveAnswers;
    std::deque<std::optional<QColor>> ColourAnswers;

  private:
    static std::optional<QString> Take(std::deque<std::optional<QString>>& answers) {
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
