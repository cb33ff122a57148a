#pragma once

#include <QString>

// Whoever keeps the letter a compose window held last, so that another
// window can take it up (the main window does, for the Web Forms window,
// which writes the same letter through officials' web forms).
//
// A compose window whose main window implements this hands it its subject
// and text when the user leaves the window for another and when it closes,
// unless both are blank. User-interface thread only.
class IComposedLetterKeeper {
  public:
    virtual void KeepComposedLetter(const QString& subject, const QString& text) = 0;

  protected:
    ~IComposedLetterKeeper() = default;
};
