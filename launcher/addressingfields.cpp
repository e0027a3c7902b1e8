#include "addressingfields.h"

#include "launchermessagebox.h"
#include "terminalattribution.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

AddressingFields::AddressingFields(const Widgets& widgets, QObject* parent)
    : m_widgets(widgets)
{
    auto* addressGroup = new QButtonGroup(parent);
    addressGroup->addButton(widgets.autoAddress);
    addressGroup->addButton(widgets.staticAddress);
    auto* dnsGroup = new QButtonGroup(parent);
    dnsGroup->addButton(widgets.autoDns);
    dnsGroup->addButton(widgets.staticDns);
}

void AddressingFields::setTexts() const
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    m_widgets.autoAddress->setText(texts->getLanguage(23));
    m_widgets.staticAddress->setText(texts->getLanguage(24));
    m_widgets.autoDns->setText(texts->getLanguage(25));
    m_widgets.staticDns->setText(texts->getLanguage(26));
    const QStringList labels = {texts->getLanguage(22), texts->getLanguage(27),
                                texts->getLanguage(28), texts->getLanguage(29),
                                texts->getLanguage(30), QStringLiteral("DNS1:"),
                                QStringLiteral("DNS2:")};
    for (qsizetype i = 0; i < m_widgets.labels.size(); ++i)
        m_widgets.labels.at(i)->setText(labels.at(i));
}

void AddressingFields::setAutomatic()
{
    m_widgets.autoAddress->setChecked(true);
    m_widgets.autoDns->setChecked(true);
    for (QLineEdit* field : m_widgets.fields) {
        field->clear();
        field->setEnabled(false);
    }
}

void AddressingFields::setStatic()
{
    m_widgets.staticAddress->setChecked(true);
    m_widgets.staticDns->setChecked(true);
    for (QLineEdit* field : m_widgets.fields)
        field->setEnabled(true);
}

void AddressingFields::fill(const AddressingFile& file)
{
    if (!file.isStatic) {
        setAutomatic();
        return;
    }
    setStatic();
    const QStringList lines = file.lines();
    for (qsizetype i = 0; i < m_widgets.fields.size(); ++i)
        m_widgets.fields.at(i)->setText(lines.at(i + 1));
}

AddressingFile AddressingFields::values() const
{
    if (!m_widgets.staticAddress->isChecked())
        return AddressingFile::automatic();
    AddressingFile file;
    file.isStatic = true;
    file.address = m_widgets.fields.at(0)->text();
    file.netmask = m_widgets.fields.at(1)->text();
    file.gateway = m_widgets.fields.at(2)->text();
    file.dns1 = m_widgets.fields.at(3)->text();
    file.dns2 = m_widgets.fields.at(4)->text();
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
