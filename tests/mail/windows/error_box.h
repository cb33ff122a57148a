#pragma once

#include <QStringList>

// The texts of the failures that reached the test application's error box
// (an exception out of an event handler), oldest first. Tests clear it.
QStringList& ErrorBoxTexts();
