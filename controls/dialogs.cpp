#include "controls/dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString Title() {
    return QGuiApplication::applicationDisplayName();
}

}  // namespace

void TQtDialogs::Warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, Title(), text, QMessageBox::Ok);
}

void TQtDialogs::WarningAt(QWidget* parent, const QString& text, const QPoint& topLeft) {
    QMessageBox box(QMessageBox::Warning, Title(), text, QMessageBox::Ok, parent);
    // A window moved before it is shown keeps its place.
    box.move(topLeft);
    box.exec();
}

bool TQtDialogs::WarningWithAction(QWidget* parent, const QString& text, const QPoint& topLeft,
                                   const QString& action) {
    QMessageBox box(QMessageBox::Warning, Title(), text, QMessageBox::Ok, parent);
    QPushButton* choice = box.addButton(action, QMessageBox::ActionRole);
    box.move(topLeft);
    box.exec();
    return box.clickedButton() == choice;
}

bool TQtDialogs::Question(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool TQtDialogs::Confirm(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, Title(), text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

std::optional<QString> TQtDialogs::OpenFile(QWidget* parent, const QString& caption,
                                            const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> TQtDialogs::SaveFile(QWidget* parent, const QString& caption,
                                            const QString& filter, const QString& suggestedName) {
    const QString path = QFileDialog::getSaveFileName(parent, caption, suggestedName, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QColor> TQtDialogs::Colour(QWidget* parent, const QColor& initial) {
    const QColor colour = QColorDialog::getColor(initial, parent, Title());
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

int TQtDialogs::ShowModal(QDialog& window) {
    return window.exec();
}
