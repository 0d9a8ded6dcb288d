#include "gui/dialogs/wave_export_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <new>

#include "app/media_export.h"
#include "gui/dialogs/config_page_support.h"
#include "gui/qt_text.h"
#include "gui/translate.h"
#include "playback/output_settings.h"

namespace zema {

namespace {

constexpr std::u16string_view kWindowKey = u"Wave Export";

// Whether a file can be written at `path`: its folder exists and takes new
// files, and an existing file may be replaced. The render finds the rarer
// failures itself.
bool writable(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) return false;
    return !file.exists() || (file.isFile() && file.isWritable());
}

}  // namespace

CMMLWaveExportDlg::CMMLWaveExportDlg(WaveExportInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input))
{
    setObjectName(QStringLiteral("IDD_WAVE_EXPORT"));
    buildLayout();
    translateWindow(this, kWindowKey);
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, &CMMLWaveExportDlg::step);
}

CMMLWaveExportDlg::~CMMLWaveExportDlg()
{
    cancel_ = true;
    finish();
}

void CMMLWaveExportDlg::buildLayout()
{
    auto* note = namedWidget<QLabel>("IDC_STATIC_WAV_NOTE");
    note->setWordWrap(true);
    file_ = namedWidget<QLabel>("IDC_TXT_WAV_FILE");
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress_ = namedWidget<QProgressBar>("IDC_PRG_WAV");
    progress_->setTextVisible(false);
    time_ = namedWidget<QLabel>("IDC_TXT_WAV_TIME");
    hideMain_ = namedWidget<QCheckBox>("IDC_CHK_HIDE_MAIN");
    start_ = namedWidget<QPushButton>("IDC_BTN_WAV_START");
    start_->setAutoDefault(false);
    auto* cancel = namedWidget<QPushButton>("IDCANCEL");
    cancel->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(file_);
    layout->addWidget(progress_);
    layout->addWidget(time_);
    layout->addWidget(hideMain_);
    layout->addLayout(buttons);
    const int width = fontMetrics().averageCharWidth() * 60;
    progress_->setMinimumWidth(width);
    file_->setMinimumWidth(width);
    cancel->setFocus();

    connect(start_, &QPushButton::clicked, this, [this] {
        if (running()) (void)askAbort();
        else (void)start();
    });
    connect(cancel, &QPushButton::clicked, this, &CMMLWaveExportDlg::reject);
    connect(hideMain_, &QCheckBox::toggled, this, [this](bool on) {
        if (running()) hideOwner(on);
    });
}

bool CMMLWaveExportDlg::begin()
{
    setWindowTitle(stringQ("IDS_WAV_EX_TITLE"));
    path_ = input_.chooseFile(stringQ("IDS_WAV_EX_OFNTITLE"), qtFilter(stringQ("IDS_WAV_EX_FILEFILTER")),
                              input_.proposedPath);
    if (path_.isEmpty()) {
        setResult(QDialog::Rejected);
        return false;
    }
    if (!start()) {
        setResult(QDialog::Rejected);
        return false;
    }
    return true;
}

bool CMMLWaveExportDlg::start()
{
    if (!writable(path_)) {
        (void)input_.message(QMessageBox::Critical, stringQ("IDS_WAV_EX_FAILURE"), QMessageBox::Ok,
                             QMessageBox::NoButton);
        if (isVisible()) QDialog::reject();
        return false;
    }
    int32_t endTick = 0;
    for (const TrackEvent& event : input_.song->events) endTick = std::max(endTick, event.tick);
    cancel_ = false;
    done_ = false;
    tick_ = 0;
    file_->setText(QDir::toNativeSeparators(path_));
    start_->setText(stringQ("IDS_WAV_EX_BREAK"));
    start_->setEnabled(true);
    time_->setText(qt(waveExportTimeText(0)));
    progress_->setRange(0, std::max(1, endTick));
    progress_->setValue(0);
    clock_.start();
    timer_.start();

    RenderOptions options = input_.render;
    options.progress = [this](int32_t tick, int32_t /*endTick*/) {
        tick_ = tick;
        return !cancel_.load();
    };
    worker_ = std::thread([this, options = std::move(options), target = pathOf(path_)] {
        try {
            status_ = renderSongToWave(*input_.song, options, target).status;
        } catch (const std::bad_alloc&) {
            status_ = RenderStatus::SynthFailed;  // reported as the synthesizer's failure
        }
        done_ = true;
    });
    if (hideMain_->isChecked()) hideOwner(true);
    return true;
}

void CMMLWaveExportDlg::step()
{
    if (done_.load() && running() && !asking_) {
        ended();
        return;
    }
    time_->setText(qt(waveExportTimeText(clock_.elapsed())));
    progress_->setValue(tick_.load());
}

void CMMLWaveExportDlg::ended()
{
    start_->setEnabled(false);
    progress_->setValue(progress_->maximum());
    time_->setText(qt(waveExportTimeText(clock_.elapsed())));
    finish();
    QString failure;
    switch (status_) {
    case RenderStatus::Ok:
        (void)input_.message(QMessageBox::Information, stringQ("IDS_WAV_EX_COMPLETE"), QMessageBox::Ok,
                             QMessageBox::NoButton);
        accept();
        return;
    case RenderStatus::Cancelled: break;
    case RenderStatus::FileFailed: failure = stringQ("IDS_WAV_EX_FAILURE"); break;
    case RenderStatus::SynthFailed: failure = qt(outputDeviceErrorMessage(kSynthInitFailed)); break;
    case RenderStatus::BankFailed:
        failure = qt(outputDeviceErrorMessage(input_.render.bankPath.empty() ? kGeneralSetLoadFailed
                                                                              : kBankLoadFailed));
        break;
    }
    if (!failure.isEmpty()) {
        (void)input_.message(QMessageBox::Critical, failure, QMessageBox::Ok, QMessageBox::NoButton);
    }
    QDialog::reject();
}

bool CMMLWaveExportDlg::askAbort()
{
    asking_ = true;
    const auto answer = input_.message(QMessageBox::Question, stringQ("IDS_WAV_EX_CONFIRM_BREAK"),
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    asking_ = false;
    if (answer != QMessageBox::Yes) return false;  // an end meanwhile is taken by the next step
    cancel_ = true;
    finish();
    QDialog::reject();
    return true;
}

void CMMLWaveExportDlg::reject()
{
    if (running()) (void)askAbort();
    else QDialog::reject();
}

void CMMLWaveExportDlg::finish()
{
    timer_.stop();
    if (worker_.joinable()) worker_.join();
    if (ownerHidden_) hideOwner(false);
}

void CMMLWaveExportDlg::hideOwner(bool hidden)
{
    ownerHidden_ = hidden;
    if (input_.hideOwner) input_.hideOwner(hidden);
    // Hidden, the main window leaves the task bar: the dialog takes its own place there.
    if (QWindow* window = windowHandle()) {
        QWidget* owner = parentWidget();
        window->setTransientParent(hidden || owner == nullptr ? nullptr : owner->window()->windowHandle());
    }
    const QString title = stringQ("IDS_WAV_EX_TITLE");
    setWindowTitle(hidden ? stringQ("AFX_IDS_APP_TITLE") + QLatin1Char(' ') + title : title);
}

}  // namespace zema
