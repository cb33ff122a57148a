#include "mail/windows/contact_edits.h"

#include <QFormLayout>
#include <QLineEdit>
#include <string>

#include "settings/settings.h"

namespace {

struct TContactField {
    const char* Label;
    QLineEdit* TContactEdits::*Edit;
    std::string TSettings::*Setting;
};

// In the order of the [Contact] keys and of the rows.
constexpr TContactField kFields[] = {
    {"Name:", &TContactEdits::Name, &TSettings::Name},
    {"Street Address:", &TContactEdits::Street1, &TSettings::Street1},
    {"Street Address Line 2:", &TContactEdits::Street2, &TSettings::Street2},
    {"City:", &TContactEdits::City, &TSettings::City},
    {"State:", &TContactEdits::State, &TSettings::State},
    {"Zip Code:", &TContactEdits::Zip, &TSettings::ZipCode},
    {"Home Phone:", &TContactEdits::HomePhone, &TSettings::UHomeP},
    {"Work Phone:", &TContactEdits::WorkPhone, &TSettings::UWorkP},
    {"Fax Number:", &TContactEdits::Fax, &TSettings::UFax},
    {"Congressional District:", &TContactEdits::District, &TSettings::UDist},
};

}  // namespace

TContactEdits AddContactEdits(QFormLayout& form, QWidget* parent) {
    TContactEdits edits;
    for (const TContactField& field : kFields) {
        auto* edit = new QLineEdit(parent);
        edit->setAccessibleName(QString(field.Label).remove(':'));
        form.addRow(field.Label, edit);
        edits.*field.Edit = edit;
    }
    return edits;
}

void ShowContactDetails(const TContactEdits& edits, const TSettings& settings) {
    for (const TContactField& field : kFields)
        (edits.*field.Edit)->setText(QString::fromStdString(settings.*field.Setting));
}

void StoreContactDetails(const TContactEdits& edits, TSettings& settings) {
    for (const TContactField& field : kFields)
        settings.*field.Setting = (edits.*field.Edit)->text().toStdString();
}
