#include "selectnetdialog.h"
#include "ui_selectnetdialog.h"

#include "terminalattribution.h"

#include <QButtonGroup>

SelectNetDialog::SelectNetDialog(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::SelectNetDialog)
    , m_group(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_group->setExclusive(true);
    m_group->addButton(ui->radioButton_wireline, 1);
    m_group->addButton(ui->radioButton_wifi, 2);
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->radioButton_wireline->setText(texts->getLanguage(81));
    ui->radioButton_wifi->setText(texts->getLanguage(82));
}

SelectNetDialog::~SelectNetDialog()
{
    delete ui;
}

void SelectNetDialog::updateradiobutton(const QString& type)
{
    if (type == QLatin1String("wireless"))
        ui->radioButton_wifi->setChecked(true);
    else
        ui->radioButton_wireline->setChecked(true);
}

void SelectNetDialog::on_pbtn_ok_clicked()
{
    const int type = m_group->checkedId();
    if (type == 1 || type == 2)
        emit selectnetsignal(type);
}
