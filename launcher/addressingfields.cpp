#include "addressingfields.h"

#include "launchermessagebox.h"
#include "terminalattribution.h"

#include <QLineEdit>

AddressingFields::AddressingFields(const QList<QLineEdit*>& fields)
    : m_fields(fields)
{
}

void AddressingFields::setAutomatic()
{
    for (QLineEdit* field : m_fields) {
        field->clear();
        field->setEnabled(false);
    }
}

void AddressingFields::setStatic()
{
    for (QLineEdit* field : m_fields)
        field->setEnabled(true);
}

void AddressingFields::fill(const AddressingFile& file)
{
    const QStringList lines = file.lines();
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        m_fields.at(i)->setText(lines.at(i + 1));
}

AddressingFile AddressingFields::values(bool isStatic) const
{
    if (!isStatic)
        return AddressingFile::automatic();
    AddressingFile file;
    file.isStatic = true;
    file.address = m_fields.at(0)->text();
    file.netmask = m_fields.at(1)->text();
    file.gateway = m_fields.at(2)->text();
    file.dns1 = m_fields.at(3)->text();
    file.dns2 = m_fields.at(4)->text();
    return file;
}

bool AddressingFields::confirmSave(const AddressingFile& file)
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    if (file.isStatic) {
        if (const int invalid = file.invalidFieldTextId()) {
            LauncherMessageBox::information(texts->getLanguage(invalid), QMessageBox::Yes);
            return false;
        }
    }
    return LauncherMessageBox::information(texts->getLanguage(48), QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}
