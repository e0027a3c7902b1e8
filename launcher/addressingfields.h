#pragma once

#include "addressingfile.h"

#include <QList>

class QLineEdit;

// The five addressing fields (address, netmask, gateway, DNS 1, DNS 2) as
// the wired and the Wi-Fi page both use them, and the questions asked
// before their values are stored.
class AddressingFields
{
public:
    explicit AddressingFields(const QList<QLineEdit*>& fields);

    // Automatic addressing clears and locks the fields; static unlocks them
    // as they are.
    void setAutomatic();
    void setStatic();
    void fill(const AddressingFile& file);
    AddressingFile values(bool isStatic) const;

    // Reports the first invalid field, or asks whether to store: true only
    // when the values are valid and the administrator answered Yes.
    static bool confirmSave(const AddressingFile& file);

private:
    QList<QLineEdit*> m_fields;
};
