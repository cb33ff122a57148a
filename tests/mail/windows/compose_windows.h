#pragma once

#include <QApplication>
#include <QList>

#include "mail/windows/compose_window.h"

// The compose windows shown now.
inline QList<TfrmSendMessage*> VisibleComposeWindows() {
    QList<TfrmSendMessage*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* compose = qobject_cast<TfrmSendMessage*>(widget); compose && compose->isVisible())
            found.append(compose);
    return found;
}
