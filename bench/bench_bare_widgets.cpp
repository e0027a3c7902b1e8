#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

// The reference of bench/launcherstartup.sh: a plain Qt Widgets program
// showing one screen-sized window of 30 ordinary widgets, built and shown
// the way the launcher shows its main window.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto* grid = new QGridLayout(&window);

    // Six rows of label, line edit, combo box and button: 24 widgets.
    for (int row = 0; row < 6; ++row) {
        grid->addWidget(new QLabel(QStringLiteral("Field %1").arg(row + 1)), row, 0);
        grid->addWidget(new QLineEdit(QStringLiteral("value %1").arg(row + 1)), row, 1);
        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")});
        grid->addWidget(combo, row, 2);
        grid->addWidget(new QPushButton(QStringLiteral("Apply %1").arg(row + 1)), row, 3);
    }
    auto* list = new QListWidget;
    for (int item = 0; item < 20; ++item)
        list->addItem(QStringLiteral("Entry %1").arg(item + 1));
    grid->addWidget(list, 6, 0, 1, 2);
    auto* box = new QGroupBox(QStringLiteral("Options"));
    auto* boxLayout = new QGridLayout(box);
    boxLayout->addWidget(new QCheckBox(QStringLiteral("Enabled")), 0, 0);
    boxLayout->addWidget(new QRadioButton(QStringLiteral("Automatic")), 1, 0);
    boxLayout->addWidget(new QSpinBox, 2, 0);
    boxLayout->addWidget(new QSlider(Qt::Horizontal), 3, 0);
    grid->addWidget(box, 6, 2, 1, 2);

    window.resize(QGuiApplication::primaryScreen()->geometry().size());
    window.show();
    return app.exec();
}
