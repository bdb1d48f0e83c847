#include "mainwindow.h"

#include "fieldofview.h"
#include "resolution.h"
#include "targetdistance.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QDoubleValidator>
#include <QMessageBox>

namespace {

struct ResolutionPreset
{
    const char *text;
    Resolution resolution;
};

// 1080*720 is a real sensor mode, not a typo of 1280*720.
constexpr ResolutionPreset resolutionPresets[] = {
        {"3840*2160", {3840, 2160}}, {"2688*1520", {2688, 1520}}, {"1920*1080", {1920, 1080}},
        {"1080*720", {1080, 720}},   {"640*512", {640, 512}},     {"Other", {-1, -1}},
};

Resolution selectedResolution(const QComboBox &comboBox)
{
    return comboBox.currentData(Qt::UserRole).value<Resolution>();
}

void reportInputError(const InputError &error)
{
    QMessageBox::information(nullptr, MainWindow::tr("Info"), error.message(), QMessageBox::Ok,
                             QMessageBox::NoButton);
}

void showDistances(const std::array<QLabel *, detailLevelMultipliers.size()> &labels,
                   double baseDistance)
{
    for (std::size_t level = 0; level < labels.size(); ++level)
        labels[level]->setText(formatDistance(baseDistance * detailLevelMultipliers[level]));
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);

    auto *pixelSizeValidator = new QDoubleValidator(0.0, 20.0, 2, this);
    pixelSizeValidator->setNotation(QDoubleValidator::StandardNotation);
    ui->pixelSizeLineEdit->setValidator(pixelSizeValidator);
    auto *focalLengthValidator = new QDoubleValidator(0.0, 2000.0, 1, this);
    focalLengthValidator->setNotation(QDoubleValidator::StandardNotation);
    ui->focalLineText->setValidator(focalLengthValidator);

    // Filled before anything is connected, so making the first item current
    // runs no slot.
    for (const auto &preset : resolutionPresets)
        ui->resolutionComboBox->addItem(QString::fromLatin1(preset.text),
                                        QVariant::fromValue(preset.resolution));

    connect(ui->caluPushButton, SIGNAL(clicked()), this, SLOT(caluPushButtonClicked()));
    connect(ui->caluPushButton1, SIGNAL(clicked()), this, SLOT(caluPushButtonClicked1()));
    connect(ui->resolutionComboBox, SIGNAL(currentIndexChanged(int)), this,
            SLOT(resolutionCurrentIndexChanged(int)));

    ui->resolutionXYWidget->hide();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::caluPushButtonClicked()
{
    qDebug() << "caluPushButtonClicked";
    const auto outcome = calculateFieldOfView(
            {selectedResolution(*ui->resolutionComboBox), ui->resolutionX->text(),
             ui->resolutionY->text(), ui->focalLineText->text(), ui->pixelSizeLineEdit->text()});
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        reportInputError(*error);
        return;
    }
    const auto &angles = std::get<AnglesOfView>(outcome);
    qDebug() << angles.horizontal;
    qDebug() << angles.vertical;
    qDebug() << angles.diagonal;
    ui->resultH->setText(formatAngle(angles.horizontal));
    ui->resultV->setText(formatAngle(angles.vertical));
    ui->resultD->setText(formatAngle(angles.diagonal));
}

// The index is not used: the value always comes from the current item.
void MainWindow::resolutionCurrentIndexChanged(int /*index*/)
{
    const Resolution resolution = selectedResolution(*ui->resolutionComboBox);
    qDebug() << "r.x= " << resolution.x;
    ui->resolutionXYWidget->setVisible(isCustomResolutionMark(resolution));
}

void MainWindow::caluPushButtonClicked1()
{
    const auto outcome
            = calculateDistances({ui->hFOVLineText->text(), ui->hResLineText->text(),
                                  ui->personX->text(), ui->personY->text(), ui->carX->text(),
                                  ui->carY->text(), ui->boatX->text(), ui->boatY->text()});
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        reportInputError(*error);
        return;
    }
    const auto &distances = std::get<BaseDistances>(outcome);
    qDebug() << "personDistance1 " << distances.person;
    showDistances({ui->personResult1, ui->personResult2, ui->personResult3, ui->personResult4},
                  distances.person);
    qDebug() << "carDistance1 " << distances.car;
    showDistances({ui->carResult1, ui->carResult2, ui->carResult3, ui->carResult4}, distances.car);
    qDebug() << "boatResult4 " << distances.boat;
    showDistances({ui->boatResult1, ui->boatResult2, ui->boatResult3, ui->boatResult4},
                  distances.boat);
}
