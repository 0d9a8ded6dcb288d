#include "gui/dialogs/config_page_midi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/preferences.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/translate.h"

namespace zema {

CConfigPageMidi::CConfigPageMidi(const Settings& settings, const std::vector<std::u16string>& ports,
                                 bool synthAvailable, SettingsLocation location, PreferencesOpenFile openFile,
                                 QWidget* parent)
    : QWidget(parent),
      portCount_(ports.size()),
      synthAvailable_(synthAvailable),
      location_(std::move(location)),
      openFile_(std::move(openFile))
{
    setObjectName(QStringLiteral("IDD_CONFIG_MIDI"));

    output_ = namedWidget<QComboBox>("IDC_CMB_OUTPUT");
    for (const OutputEntry& entry : midiOutputEntries(ports, synthAvailable)) output_->addItem(qt(entry.text));
    Settings shown = settings;
    output_->setCurrentIndex(initialOutputEntry(shown, portCount_, synthAvailable_));

    reset_ = namedWidget<QComboBox>("IDC_CMB_RESET");
    fillTexts(reset_, resetTypeEntries());
    reset_->setCurrentIndex(settings.resetType);

    instruments_ = namedWidget<QLineEdit>("IDC_EDT_INSTRUMENTS");
    instruments_->setText(qt(settings.instrumentsFile));
    instruments_->setCursorPosition(0);
    auto* browse = namedWidget<QPushButton>("IDC_BTN_INSTRUMENTS");
    connect(browse, &QPushButton::clicked, this, &CConfigPageMidi::browseInstruments);

    disableGm_ = namedWidget<QCheckBox>("IDC_CHK_DISABLE_GM");
    disableGm_->setChecked(settings.disableGmPresets);

    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_MIDI_OUTPUT", output_), 0, 0);
    grid->addWidget(output_, 0, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_MIDI_RESET", reset_), 1, 0);
    grid->addWidget(reset_, 1, 1);
    grid->addWidget(buddyLabel("IDC_STATIC_CFG_MIDI_INSTRUMENTS", instruments_), 2, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(instruments_, 1);
    fileRow->addWidget(browse);
    grid->addLayout(fileRow, 2, 1);
    grid->addWidget(disableGm_, 3, 0, 1, 2);
    grid->setRowMinimumHeight(4, fontMetrics().height());
    for (const char* note : {"IDC_STATIC_CFG_MIDI_NOTE1", "IDC_STATIC_CFG_MIDI_NOTE2"}) {
        auto* label = namedWidget<QLabel>(note);
        label->setWordWrap(true);
        grid->addWidget(label, grid->rowCount(), 0, 1, 2);
    }
    grid->setRowStretch(grid->rowCount(), 1);

    translateWindow(this, u"Preferences Sheet - Midi");
}

void CConfigPageMidi::browseInstruments()
{
    const QString current = instruments_->text();
    const QString initial =
        QString::fromStdU16String(instrumentsFilePath(current.toStdU16String(), location_.folder).u16string());
    const QString title = stringQ("IDS_CFG_MIDI_OFNTITLE");
    const QString filter = qtFilter(stringQ("IDS_CFG_MIDI_FILEFILTER"));
    const QString chosen = openFile_(title, filter, initial);
    if (chosen.isEmpty()) return;
    instruments_->setText(qt(absolutePathText(chosen.toStdU16String())));
}

void CConfigPageMidi::apply(Settings& settings) const
{
    applyOutputEntry(settings, output_->currentIndex(), portCount_, synthAvailable_);
    if (reset_->currentIndex() >= 0) settings.resetType = reset_->currentIndex();
    settings.instrumentsFile = instruments_->text().toStdU16String();
    settings.disableGmPresets = disableGm_->isChecked();
}

}  // namespace zema
