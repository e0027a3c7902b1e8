#include "mymessagebox.h"
#include "ui_mymessagebox.h"

#include "terminalattribution.h"

#include <QKeyEvent>
#include <QTimer>

mymessagebox::mymessagebox(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::mymessagebox)
    , m_timer(new QTimer(this))
{
    ui->setupUi(this);
    setlanguage();
    move((parent->width() - width()) / 2, (parent->height() - height()) / 2);
    connect(m_timer, &QTimer::timeout, this, &mymessagebox::timer_timeout_slot);
}

mymessagebox::~mymessagebox()
{
    delete ui;
}

void mymessagebox::set_Time(int seconds)
{
    time = seconds;
}

void mymessagebox::show()
{
    QWidget::show();
    showTime();
    m_timer->start(1000);
}

void mymessagebox::setlanguage()
{
    ui->pushButton_cancle->setText(TerminalAttribution::getInstance()->getLanguage(118));
}

void mymessagebox::showTime()
{
    ui->label_text->setText(QStringLiteral("%1 %2").arg(time).arg(TerminalAttribution::getInstance()->getLanguage(120)));
}

// While the box counts down, typing must not change the profile under it
// that the automatic connection is about to save and use.
void mymessagebox::showEvent(QShowEvent* event)
{
    grabKeyboard();
    QWidget::showEvent(event);
}

void mymessagebox::hideEvent(QHideEvent* event)
{
    releaseKeyboard();
    QWidget::hideEvent(event);
}

void mymessagebox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && ui->pushButton_cancle->isEnabled())
        on_pushButton_cancle_clicked();
    else
        QWidget::keyPressEvent(event);
}

void mymessagebox::on_pushButton_cancle_clicked()
{
    emit messagebox_closed_signal(0);
}

void mymessagebox::timer_timeout_slot()
{
    --time;
    showTime();
    if (time == 0) {
        m_timer->stop();
        ui->pushButton_cancle->setEnabled(false);
        emit messagebox_closed_signal(1);
    }
}
