#include "gui/dialogs/config_page_general.h"

#include <QComboBox>
#include <algorithm>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/preferences.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CConfigPageGeneral::CConfigPageGeneral(const Settings& settings, PreferencesChooseFont chooseFont, QWidget* parent)
    : QWidget(parent),
      chooseFont_(std::move(chooseFont)),
      fontFace_(settings.editorFontName),
      fontSize_(settings.editorFontSize)
{
    setObjectName(QStringLiteral("IDD_CONFIG_GENERAL"));

    trackCount_ = namedWidget<QSpinBox>("IDC_EDT_TRACK_COUNT");
    trackCount_->setRange(kMinTrackCount, kMaxTrackCount);
    trackCount_->setValue(std::clamp(settings.defaultTrackCount, kMinTrackCount, kMaxTrackCount));

    font_ = namedWidget<QLabel>("IDC_TXT_FONT");
    font_->setFrameShape(QFrame::StyledPanel);
    font_->setFrameShadow(QFrame::Sunken);
    font_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* fontButton = namedWidget<QPushButton>("IDC_BTN_FONT");
    connect(fontButton, &QPushButton::clicked, this, &CConfigPageGeneral::chooseFont);

    windowStyle_ = namedWidget<QComboBox>("IDC_CMB_WINDOW_STYLE");
    fillChoices(windowStyle_, windowStyleChoices());
    windowStyle_->setCurrentIndex(choiceIndexOf(windowStyleChoices(), settings.windowStyle));

    timebase_ = namedWidget<QComboBox>("IDC_CMB_TPQN");
    fillChoices(timebase_, defaultTimebaseChoices());
    timebase_->setCurrentIndex(choiceIndexOf(defaultTimebaseChoices(), settings.defaultTimeBase, 2));

    frameRate_ = namedWidget<QComboBox>("IDC_CMB_FRAMERATE");
    fillChoices(frameRate_, frameRateChoices());
    frameRate_->setCurrentIndex(choiceIndexOf(frameRateChoices(), settings.statFrameRate));

    translucent_ = namedWidget<QComboBox>("IDC_CMB_ALPHABLEND");
    fillChoices(translucent_, translucentChoices());
    translucent_->setCurrentIndex(choiceIndexOf(translucentChoices(), settings.enableGdiPlus ? 1 : 0));

    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, fontMetrics().averageCharWidth() * 36);
    int row = 0;
    auto addRow = [&](const char* label, QWidget* control) {
        grid->addWidget(buddyLabel(label, control), row, 0);
        grid->addWidget(control, row, 1);
        ++row;
    };
    addRow("IDC_STATIC_CFG_GEN_TRACKS", trackCount_);
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(font_, 1);
    fontRow->addWidget(fontButton);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_GEN_FONT", fontButton), row, 0);
    grid->addLayout(fontRow, row, 1);
    ++row;
    addRow("IDC_STATIC_CFG_GEN_STYLE", windowStyle_);
    addRow("IDC_STATIC_CFG_GEN_TPQN", timebase_);
    addRow("IDC_STATIC_CFG_GEN_FPS", frameRate_);
    addRow("IDC_STATIC_CFG_GEN_ALPHA", translucent_);
    grid->setRowStretch(row, 1);

    translateWindow(this, u"Preferences Sheet - General");
    showFont();
}

void CConfigPageGeneral::showFont()
{
    const QString text = qt(editorFontText(fontFace_, fontSize_));
    font_->setText(text);
    // Long labels beside it must not squeeze the face name away.
    font_->setMinimumWidth(font_->fontMetrics().horizontalAdvance(text) + 2 * font_->frameWidth() + 8);
}

void CConfigPageGeneral::chooseFont()
{
    const QFont current(qt(fontFace_), static_cast<int>(fontSize_));
    std::optional<QFont> chosen;
    if (chooseFont_) {
        chosen = chooseFont_(current);
    } else {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, this);
        if (ok) chosen = font;
    }
    if (!chosen || chosen->family().isEmpty()) return;
    fontFace_ = chosen->family().toStdU16String();
    // Sizes are whole points in the settings; a pixel-sized font keeps the old size.
    if (chosen->pointSize() > 0) fontSize_ = static_cast<uint32_t>(chosen->pointSize());
    showFont();
}

void CConfigPageGeneral::apply(Settings& settings) const
{
    settings.defaultTrackCount = trackCount_->value();
    settings.editorFontName = fontFace_;
    settings.editorFontSize = fontSize_;
    settings.windowStyle = selectedValue(windowStyle_, settings.windowStyle);
    settings.defaultTimeBase = selectedValue(timebase_, settings.defaultTimeBase);
    settings.statFrameRate = selectedValue(frameRate_, settings.statFrameRate);
    settings.enableGdiPlus = selectedValue(translucent_, settings.enableGdiPlus ? 1 : 0) != 0;
}

}  // namespace zema
