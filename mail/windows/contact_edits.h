#pragma once

class QFormLayout;
class QLineEdit;
class QWidget;
struct TSettings;

// The sender's contact details as the windows edit them (the compose
// window's Contact Information tab, the Web Forms window's): one
// single-line edit per key of the settings' [Contact] section, labelled
// "Name:", "Street Address:", "Street Address Line 2:", "City:", "State:",
// "Zip Code:", "Home Phone:", "Work Phone:", "Fax Number:" and
// "Congressional District:". The edits belong to the window that adds them.
struct TContactEdits {
    QLineEdit* Name = nullptr;
    QLineEdit* Street1 = nullptr;
    QLineEdit* Street2 = nullptr;
    QLineEdit* City = nullptr;
    QLineEdit* State = nullptr;
    QLineEdit* Zip = nullptr;
    QLineEdit* HomePhone = nullptr;
    QLineEdit* WorkPhone = nullptr;
    QLineEdit* Fax = nullptr;
    QLineEdit* District = nullptr;
};

// Adds the edits to `form` as its next rows, children of `parent`, each
// named after its label for a screen reader.
TContactEdits AddContactEdits(QFormLayout& form, QWidget* parent);

// Puts the settings' details into the edits.
void ShowContactDetails(const TContactEdits& edits, const TSettings& settings);

// Puts the edits' texts, as typed, into the settings (UseContact aside).
void StoreContactDetails(const TContactEdits& edits, TSettings& settings);
