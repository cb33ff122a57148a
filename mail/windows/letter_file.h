#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

class IDialogs;
class QWidget;

// Reads the text file at `path` that the user chose as a letter. When it
// cannot be read, or holds more than `maxBytes` (a negative `maxBytes` sets
// no limit), the user is warned through `dialogs`, placed over `parent`, and
// nullopt comes back; the letter on screen is then left as it was.
std::optional<QByteArray> ReadLetterFile(QWidget* parent, IDialogs& dialogs, const QString& path,
                                         qint64 maxBytes = -1);
