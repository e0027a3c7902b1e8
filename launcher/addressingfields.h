#pragma once

#include "addressingfile.h"

#include <QList>

class QLabel;
class QLineEdit;
class QObject;
class QRadioButton;

// The addressing half the wired and the Wi-Fi page share: automatic or
// static address and DNS, the five fields (address, netmask, gateway, DNS 1,
// DNS 2), their texts, and the questions asked before their values are
// stored. The two forms name the widgets differently, so each page hands
// its own in.
class AddressingFields
{
public:
    struct Widgets
    {
        QRadioButton* autoAddress;
        QRadioButton* staticAddress;
        QRadioButton* autoDns;
        QRadioButton* staticDns;
        QList<QLineEdit*> fields;
        // The address heading, the DNS heading, then one per field.
        QList<QLabel*> labels;
    };

    AddressingFields() = default;
    // Groups the radio buttons; parent owns the groups.
    AddressingFields(const Widgets& widgets, QObject* parent);

    void setTexts() const;

    // Automatic addressing selects both automatic buttons and clears and
    // locks the fields; static selects both static buttons and unlocks the
    // fields as they are.
    void setAutomatic();
    void setStatic();
    // Selects the file's mode and, when static, shows its values.
    void fill(const AddressingFile& file);
    // What the page shows, to be stored.
    AddressingFile values() const;

    // Reports the first invalid field, or asks whether to store: true only
    // when the values are valid and the administrator answered Yes.
    static bool confirmSave(const AddressingFile& file);

private:
    Widgets m_widgets{};
};
