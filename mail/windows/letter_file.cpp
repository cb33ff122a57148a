#include "mail/windows/letter_file.h"

#include <QFile>

#include "controls/dialogs.h"

std::optional<QByteArray> ReadLetterFile(QWidget* parent, IDialogs& dialogs, const QString& path,
                                         qint64 maxBytes) {
    const QString unreadable = QString("Unable to read %1").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs.Warning(parent, unreadable);
        return std::nullopt;
    }
    if (maxBytes >= 0 && file.size() > maxBytes) {
        dialogs.Warning(parent, QString("%1 is too large for a letter.").arg(path));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        dialogs.Warning(parent, unreadable);
        return std::nullopt;
    }
    return bytes;
}
