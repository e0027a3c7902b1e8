// launcher-lite's network choice: the page of the chosen type opens, and the
// terminal's network type stays as it is.
#include "systemsetting.h"
#include "ui_systemsetting.h"

#include "networksetting.h"
#include "selectnetdialog.h"
#include "wifinetworksetting.h"

void Systemsetting::networkselectdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_selectnet);
}

void Systemsetting::networksettingdlg_fun(int type)
{
    if (type == 1)
        ui->stackedWidget->setCurrentWidget(m_network);
    else
        ui->stackedWidget->setCurrentWidget(m_wifi);
}
