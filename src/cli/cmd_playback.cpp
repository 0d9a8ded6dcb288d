// `ports`, `play` and `render`: the playback engine from a shell.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/cli_common.h"
#include "core/strings.h"
#include "core/unicode.h"
#include "playback/midi_port_out.h"
#include "playback/offline_render.h"
#include "playback/player_controller.h"

namespace zema::cli {

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int /*signal*/)
{
    gInterrupted.store(true);
}

void printMessage(const std::u16string& text)
{
    std::cerr << utf16ToUtf8(text) << "\n";
}

struct PlayOptions {
    std::string file;
    int port = -1;
    bool synth = false;
    std::string bank;
    int fromTick = 0;
    bool loop = false;
};

int runPlay(const PlayOptions& options)
{
    auto song = std::make_unique<Song>();
    const ReadStatus read = loadSongDocument(options.file, TimingContext{}, *song);
    if (!read) return exitStatusOf(read);

    OutputSettings settings;  // GM System On, the default synthesizer settings
    if (options.synth) {
        settings.kind = options.bank.empty() ? OutputKind::SynthGeneral : OutputKind::SynthBank;
        settings.bankPath = options.bank;
    } else {
        settings.port = options.port;
    }

    gInterrupted = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    PlayerController controller(*song);
    const int code = controller.OpenOutputDevice(settings);
    if (controller.resetFailed()) printMessage(loadString("IDS_ERR_MIDIOUT_RESET"));
    if (code != 0) {
        printMessage(outputDeviceErrorMessage(code));
        return 1;
    }
    if (controller.Play(options.fromTick, options.loop) != 0) {
        printMessage(loadString("IDS_ERR_UNEXPECTED"));
        return 1;
    }

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    PositionDisplay shown{-1, -1, -1};
    while (controller.playing()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        controller.Poll();
        if (gInterrupted.load() && !controller.busy()) controller.Stop();
        const PositionDisplay now = controller.position();
        if (terminal && now != shown) {
            std::printf("\r%4d:%03d  tempo %3d ", now.measure, now.tick, now.tempo);
            std::fflush(stdout);
        } else if (!terminal && now.measure != shown.measure) {
            std::printf("%d:%03d tempo %d\n", now.measure, now.tick, now.tempo);
            std::fflush(stdout);
        }
        shown = now;
    }
    if (terminal) std::printf("\n");
    controller.CloseOutputDevice();  // all notes off
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return exitStatusOf(read);
}

struct RenderCliOptions {
    std::string file;
    std::string output;
    std::string bank;
    unsigned rate = 44100;
    bool mono = false;
    bool reverb = false;
    bool chorus = false;
    bool delay = false;
    int volume = 100;
};

int runRender(const RenderCliOptions& options)
{
    auto song = std::make_unique<Song>();
    const ReadStatus read = loadSongDocument(options.file, TimingContext{}, *song);
    if (!read) return exitStatusOf(read);

    RenderOptions render;
    render.synth = {options.rate, options.mono ? 1u : 2u, options.reverb, options.chorus, options.delay,
                    options.volume};
    render.bankPath = options.bank;
    const bool bar = isatty(STDERR_FILENO) != 0;
    if (bar) {
        render.progress = [](int32_t tick, int32_t endTick) {
            const int percent = endTick > 0 ? static_cast<int>(100LL * std::min(tick, endTick) / endTick) : 100;
            const int filled = percent * 40 / 100;
            std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                         std::string(static_cast<size_t>(40 - filled), '.').c_str(), percent);
            return true;
        };
    }
    const RenderResult result = renderSongToWave(*song, render, options.output);
    if (bar) std::fprintf(stderr, "\n");
    switch (result.status) {
    case RenderStatus::Ok: return exitStatusOf(read);
    case RenderStatus::SynthFailed: printMessage(outputDeviceErrorMessage(kSynthInitFailed)); break;
    case RenderStatus::BankFailed:
        printMessage(outputDeviceErrorMessage(options.bank.empty() ? kGeneralSetLoadFailed : kBankLoadFailed));
        break;
    case RenderStatus::FileFailed:
    case RenderStatus::Cancelled: printMessage(loadString("IDS_WAV_EX_FAILURE")); break;
    }
    return 1;
}

}  // namespace

void addPlaybackCommands(CLI::App& app, int& exitCode)
{
    CLI::App* ports = app.add_subcommand("ports", "List the MIDI output ports as INDEX NAME");
    ports->callback([&exitCode] {
        const auto list = midiOutputPorts();
        for (size_t i = 0; i < list.size(); ++i) std::cout << i << " " << list[i].name << "\n";
        exitCode = 0;
    });

    auto play = std::make_shared<PlayOptions>();
    CLI::App* playCmd = app.add_subcommand("play", "Play a song in real time on a MIDI port or the software synthesizer");
    playCmd->add_option("file", play->file, "document to play (.mml, .mms or MML@ text)")->required();
    auto* port = playCmd->add_option("--port", play->port, "MIDI output port index (see `ports`); -1 = the first");
    auto* synth = playCmd->add_flag("--synth", play->synth, "play on the software synthesizer");
    playCmd->add_option("--bank", play->bank, "DLS or SF2 bank for --synth (default: the system GM set)")->needs(synth);
    port->excludes(synth);
    playCmd->add_option("--from", play->fromTick, "start tick")->check(CLI::NonNegativeNumber);
    playCmd->add_flag("--loop", play->loop, "start again at the start tick when the song ends");
    playCmd->callback([play, &exitCode] { exitCode = runPlay(*play); });

    auto render = std::make_shared<RenderCliOptions>();
    CLI::App* renderCmd = app.add_subcommand("render", "Render a song to a WAVE file with the software synthesizer, faster than real time");
    renderCmd->add_option("file", render->file, "document to render")->required();
    renderCmd->add_option("-o,--output", render->output, "WAVE file to write")->required();
    renderCmd->add_option("--bank", render->bank, "DLS or SF2 bank (default: the system GM set)");
    renderCmd->add_option("--rate", render->rate, "sample rate")->check(CLI::IsMember({8000u, 11025u, 22050u, 44100u}));
    renderCmd->add_flag("--mono", render->mono, "one channel instead of two");
    renderCmd->add_flag("--reverb", render->reverb, "reverb effect");
    renderCmd->add_flag("--chorus", render->chorus, "chorus effect");
    renderCmd->add_flag("--delay", render->delay, "delay effect");
    renderCmd->add_option("--volume", render->volume, "master volume in percent")->check(CLI::Range(0, 100));
    renderCmd->callback([render, &exitCode] { exitCode = runRender(*render); });
}

}  // namespace zema::cli
