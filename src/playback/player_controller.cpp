#include "playback/player_controller.h"

#include "playback/synth_out.h"

#include <algorithm>
#include <chrono>

#include "document/smf_export.h"
#include "playback/player.h"

namespace zema {

namespace {
constexpr int kResetSettleMilliseconds = 100;
constexpr int kTrackSetupMilliseconds = 10;
}  // namespace

PlayerController::PlayerController(Song& song)
    : song_(song),
      deviceFactory_(createOutputDevice),
      clockFactory_([] { return std::make_unique<CSteadyClock>(); }),
      sleeper_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }),
      programOf_(programOfInstrument)
{
}

PlayerController::~PlayerController()
{
    Join();
    CloseOutputDevice();
}

int PlayerController::OpenOutputDevice(const OutputSettings& settings)
{
    if (device_) return 0;
    settings_ = settings;
    resetFailed_ = false;
    int code = 0;
    device_ = deviceFactory_(settings, code);
    if (!device_) return code != 0 ? code : kOpenMidiPortFailed;
    openedKind_ = settings.kind;

    if (settings.resetType != 0) {
        if (device_->SendReset(settings.resetType) != 0) {
            resetFailed_ = true;
        } else {
            sleeper_(kResetSettleMilliseconds);
        }
    }
    for (int track = 0; track < kTrackCount; ++track) {
        if (!song_.tracks[track].used) continue;
        SendTrackSetup(track);
        sleeper_(kTrackSetupMilliseconds);
    }
    return code;
}

void PlayerController::CloseOutputDevice()
{
    Join();
    if (device_) device_->Close();
    device_.reset();
}

void PlayerController::setMetering(bool on)
{
    if (auto* synth = dynamic_cast<CSynthOut*>(device_.get())) synth->SetMetering(on);
}

std::optional<std::array<double, 2>> PlayerController::meterLevels() const
{
    // Only the synthesizer's rendered blocks can be measured, and the meter
    // shows them only for a bank file, as the game's own bank sounds.
    const auto* synth = dynamic_cast<const CSynthOut*>(device_.get());
    if (synth == nullptr || openedKind_ != OutputKind::SynthBank) return std::nullopt;
    return synth->LevelDecibels();
}

int PlayerController::SendNote(int channel, int note, bool on)
{
    if (note < 0 || note > 127) return 1;
    return sendFromOwner({static_cast<uint8_t>(on ? 0x90 : 0x80), static_cast<uint8_t>(channel & 0x0F),
                          static_cast<uint8_t>(note), 100});
}

void PlayerController::SendTrackSetup(int track)
{
    if (!device_ || track < 0 || track >= kTrackCount) return;
    const Track& t = song_.tracks[track];
    OwnerOutput output(*this);
    sendTrackSetup(output, track, t, programOf_(t.instrument));
}

int PlayerController::sendFromOwner(ChannelMessage message)
{
    if (!device_) return 1;
    if (playerOwnsOutput()) {
        // Behind older messages that are still waiting, never ahead of them.
        queueBacklog();
        if (!backlog_.empty() || !context_.queuedMessages.push([&](ChannelMessage& cell) { cell = message; })) {
            backlog_.push_back(message);
        }
        return 0;
    }
    return device_->ShortMsg(message.status, message.channel, message.data1, message.data2);
}

void PlayerController::queueBacklog()
{
    size_t queued = 0;
    while (queued < backlog_.size() &&
           context_.queuedMessages.push([&](ChannelMessage& cell) { cell = backlog_[queued]; })) {
        ++queued;
    }
    backlog_.erase(backlog_.begin(), backlog_.begin() + static_cast<std::ptrdiff_t>(queued));
}

int PlayerController::OwnerOutput::LongMsg(const uint8_t* data, uint32_t length)
{
    if (!controller_.device_ || controller_.playerOwnsOutput()) return 1;
    return controller_.device_->LongMsg(data, length);
}

void PlayerController::sendLeftMessages()
{
    while (context_.queuedMessages.pop([this](const ChannelMessage& m) {
        if (device_) device_->ShortMsg(m.status, m.channel, m.data1, m.data2);
    })) {
    }
    for (const ChannelMessage& m : backlog_) {
        if (device_) device_->ShortMsg(m.status, m.channel, m.data1, m.data2);
    }
    backlog_.clear();
}

int PlayerController::Play(int32_t fromTick, bool loop)
{
    if (!device_ && OpenOutputDevice(settings_) != 0) {
        // A synthesizer without its bank stays open; anything else failed.
        if (!device_) return 1;
    }
    if (busy_.load() || playing_.load()) return 1;
    auto clock = clockFactory_();
    if (!clock || clock->Begin() == 0) return 1;
    playing_ = true;
    awaited_ = Awaited::Started;
    busy_ = true;
    clock_ = std::move(clock);

    context_.owner = this;
    context_.seekTick = fromTick;
    context_.loopStartTick = fromTick;
    context_.command = PlayerCommand::Run;
    for (auto& index : context_.lastIndex) index = 0;
    context_.trackCount = kTrackCount;
    context_.timebase = song_.timing.timebase;
    context_.numerator = song_.timing.numerator;
    context_.denominator = song_.timing.denominator;
    context_.output = device_.get();
    context_.clock = clock_.get();
    context_.loop = loop;
    for (int t = 0; t < kTrackCount; ++t) context_.mute[t] = song_.tracks[t].mute;
    context_.clearMonitors();
    context_.currentTick = fromTick;
    context_.tempo = 120;
    context_.events = song_.events;
    finished_ = false;
    finishedDelivered_ = false;

    const bool realtime = realtime_;
    thread_ = std::thread([this, realtime] {
        if (realtime) raiseThreadPriority();
        runPlayer(context_);
    });
    return 0;
}

void PlayerController::PlayCommand()
{
    if (busy_.load()) return;
    if (!playing_.load()) {
        Play(startTick_, loop_);
    } else {
        Pause();
    }
}

void PlayerController::Pause()
{
    if (busy_.load() || !playing_.load()) return;
    if (context_.command.load() != PlayerCommand::Run) return;
    awaited_ = Awaited::Nothing;  // busy until the thread has ended
    busy_ = true;
    startTick_ = context_.currentTick.load();
    context_.command = PlayerCommand::Stop;
}

void PlayerController::Stop()
{
    if (busy_.load() || !playing_.load()) return;
    awaited_ = Awaited::Nothing;
    busy_ = true;
    context_.command = PlayerCommand::Stop;
}

void PlayerController::seekTo(int32_t target)
{
    awaited_ = Awaited::SeekDone;
    busy_ = true;
    context_.seekTick = target;
    context_.command = PlayerCommand::Seek;
}

void PlayerController::BackToTop()
{
    if (busy_.load()) return;
    if (playing_.load()) {
        seekTo(0);
    } else {
        for (auto& index : context_.lastIndex) index = 0;
        startTick_ = 0;
    }
}

int32_t PlayerController::lastEventTick() const
{
    int32_t last = 0;
    for (const Track& track : song_.tracks) {
        if (track.used && !track.events.empty()) last = std::max(last, track.events.back().tick);
    }
    return last;
}

int32_t PlayerController::positionTick() const
{
    return playing_.load() ? context_.currentTick.load() : startTick_;
}

void PlayerController::NextMeasure()
{
    if (busy_.load()) return;
    const int32_t measure = ticksPerMeasure(song_.timing);
    const int32_t target = std::min((positionTick() / measure + 1) * measure, lastEventTick());
    if (playing_.load()) {
        seekTo(target);
    } else {
        startTick_ = target;
    }
}

void PlayerController::PreviousMeasure()
{
    if (busy_.load()) return;
    const int32_t measure = ticksPerMeasure(song_.timing);
    const int32_t target = std::max((positionTick() / measure - 1) * measure, 0);
    if (playing_.load()) {
        seekTo(target);
    } else {
        startTick_ = target;
    }
}

void PlayerController::PlayFromCaret(int32_t line, int32_t column)
{
    if (busy_.load() || playing_.load()) return;
    const int current = std::clamp(song_.currentTrack, 0, kTrackCount - 1);
    int32_t tick = 0;
    for (const TrackEvent& event : song_.tracks[current].events) {
        if (event.startLine > line || (event.startLine == line && event.startColumn >= column)) {
            tick = event.tick;
            break;
        }
    }
    startTick_ = tick;
    Play(startTick_, loop_);
}

void PlayerController::SetTrackMute(int track, bool mute)
{
    if (track < 0 || track >= kTrackCount) return;
    song_.tracks[track].mute = mute;
    context_.mute[track] = mute;
}

void PlayerController::OnPlayerNotify(PlayerNotification notification)
{
    // Runs on the player thread: only atomics and the lock-free ring.
    const auto answer = [this](Awaited what) {
        if (awaited_.compare_exchange_strong(what, Awaited::Nothing)) busy_ = false;
    };
    switch (notification.code) {
    case PlayerNotifyCode::Started: answer(Awaited::Started); break;
    case PlayerNotifyCode::SeekDone: answer(Awaited::SeekDone); break;
    case PlayerNotifyCode::Finished: finished_ = true; break;
    case PlayerNotifyCode::Looped: break;
    }
    notifications_.push(notification);
}

void PlayerController::deliver(PlayerNotification notification)
{
    if (notification.code == PlayerNotifyCode::Finished) finishedDelivered_ = true;
    if (listener_) listener_(notification);
}

void PlayerController::Poll()
{
    if (playerOwnsOutput()) queueBacklog();
    while (const auto notification = notifications_.pop()) deliver(*notification);
    if (playing_.load() && finished_.load()) cleanup();
}

void PlayerController::cleanup()
{
    if (thread_.joinable()) thread_.join();
    sendLeftMessages();
    if (clock_) clock_->End();
    clock_.reset();
    context_.clearMonitors();
    awaited_ = Awaited::Nothing;
    busy_ = false;
    playing_ = false;
    // The finished notification may have been queued after the last drain,
    // or lost to a full ring (a listener waits for it to leave the playing
    // state).
    while (const auto notification = notifications_.pop()) deliver(*notification);
    if (!finishedDelivered_) deliver({PlayerNotifyCode::Finished, 0});
}

void PlayerController::Join()
{
    if (!thread_.joinable()) return;
    context_.command = PlayerCommand::Stop;
    thread_.join();
    cleanup();
}

PositionDisplay PlayerController::position() const
{
    const int32_t measure = ticksPerMeasure(song_.timing);
    if (!playing_.load()) return {startTick_ / measure, startTick_ % measure, 120};
    const int32_t tick = context_.currentTick.load();
    return {tick / measure, tick % measure, context_.tempo.load()};
}

uint32_t PlayerController::nowMilliseconds() const
{
    return clock_ ? clockMilliseconds(*clock_) : 0;
}

}  // namespace zema
