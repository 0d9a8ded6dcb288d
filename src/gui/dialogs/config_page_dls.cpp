#include "gui/dialogs/config_page_dls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "app/preferences.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CConfigPageDls::CConfigPageDls(const Settings& settings, PreferencesOpenFile openFile, QWidget* parent)
    : QWidget(parent), openFile_(std::move(openFile))
{
    setObjectName(QStringLiteral("IDD_CONFIG_DLS"));

    bank_ = namedWidget<QLineEdit>("IDC_EDT_DLS_FILE");
    bank_->setText(qt(settings.dlsFilePath));
    bank_->setCursorPosition(0);
    auto* browse = namedWidget<QPushButton>("IDC_BTN_DLS_FILE");
    connect(browse, &QPushButton::clicked, this, &CConfigPageDls::browseBank);

    rate_ = namedWidget<QComboBox>("IDC_CMB_SAMPLING_RATE");
    fillTexts(rate_, samplingRateEntries());
    rate_->setCurrentIndex(settings.samplingRate);
    channels_ = namedWidget<QComboBox>("IDC_CMB_CHANNEL");
    fillTexts(channels_, channelEntries());
    channels_->setCurrentIndex(settings.dlsChannel);

    reverb_ = namedWidget<QCheckBox>("IDC_CHK_REVERB");
    reverb_->setChecked(settings.enableReverb);
    chorus_ = namedWidget<QCheckBox>("IDC_CHK_CHORUS");
    chorus_->setChecked(settings.enableChorus);
    delay_ = namedWidget<QCheckBox>("IDC_CHK_DELAY");
    delay_->setChecked(settings.enableDelay);

    volume_ = namedWidget<QSlider>("IDC_SLD_VOLUME", Qt::Horizontal);
    volume_->setRange(0, 100);
    volume_->setTickPosition(QSlider::TicksBelow);
    volume_->setTickInterval(10);
    volume_->setPageStep(10);
    volume_->setValue(std::clamp(settings.dlsVolume, 0, 100));
    volumeText_ = namedWidget<QLabel>("IDC_TXT_VOLUME");
    volumeText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    volumeText_->setMinimumWidth(volumeText_->fontMetrics().horizontalAdvance(qt(volumeText(100))));
    connect(volume_, &QSlider::valueChanged, this,
            [this](int value) { volumeText_->setText(qt(volumeText(value))); });

    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_DLS_FILE", bank_), 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(bank_, 1);
    fileRow->addWidget(browse);
    grid->addLayout(fileRow, 0, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_DLS_RATE", rate_), 1, 0);
    grid->addWidget(rate_, 1, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_DLS_CHANNEL", channels_), 2, 0);
    grid->addWidget(channels_, 2, 1);
    auto* effects = new QHBoxLayout;
    effects->addWidget(reverb_);
    effects->addWidget(chorus_);
    effects->addWidget(delay_);
    effects->addStretch(1);
    grid->addLayout(effects, 3, 0, 1, 2);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_DLS_VOLUME", volume_), 4, 0);
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume_, 1);
    volumeRow->addWidget(volumeText_);
    grid->addLayout(volumeRow, 4, 1);
    grid->setRowStretch(5, 1);

    translateWindow(this, u"Preferences Sheet - DLS Playback");
    // The percentage is the live value, not a translatable text.
    volumeText_->setText(qt(volumeText(volume_->value())));
}

void CConfigPageDls::browseBank()
{
    const QString chosen =
        openFile_(stringQ("IDS_CFG_DLS_OFNTITLE"), qtFilter(qt(bankFileFilter())), bank_->text());
    if (chosen.isEmpty()) return;
    bank_->setText(qt(absolutePathText(chosen.toStdU16String())));
}

void CConfigPageDls::apply(Settings& settings) const
{
    settings.dlsFilePath = bank_->text().toStdU16String();
    if (rate_->currentIndex() >= 0) settings.samplingRate = rate_->currentIndex();
    if (channels_->currentIndex() >= 0) settings.dlsChannel = channels_->currentIndex();
    settings.enableReverb = reverb_->isChecked();
    settings.enableChorus = chorus_->isChecked();
    settings.enableDelay = delay_->isChecked();
    settings.dlsVolume = volume_->value();
}

}  // namespace zema
