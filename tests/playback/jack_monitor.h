#pragma once

// A JACK MIDI input in the test's own process that keeps every event it
// receives: unlike a separate dump tool, it never skips events because its
// printing fell behind, so a missing message is the sender's fault.

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace zema::test {

class JackMonitor {
public:
    // Client "midi-monitor" with the port "input"; room for `capacity` events.
    explicit JackMonitor(size_t capacity = 400'000) : events_(capacity)
    {
        client_ = jack_client_open("midi-monitor", JackNoStartServer, nullptr);
        if (client_ == nullptr) return;
        port_ = jack_port_register(client_, "input", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (port_ == nullptr || jack_set_process_callback(client_, &JackMonitor::process, this) != 0 ||
            jack_activate(client_) != 0) {
            jack_client_close(client_);
            client_ = nullptr;
        }
    }
    ~JackMonitor()
    {
        if (client_ == nullptr) return;
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    JackMonitor(const JackMonitor&) = delete;
    JackMonitor& operator=(const JackMonitor&) = delete;

    [[nodiscard]] bool ready() const { return client_ != nullptr; }
    [[nodiscard]] size_t count() const { return count_.load(std::memory_order_acquire); }
    // Events that came when the store was full, or were longer than kept.
    [[nodiscard]] size_t lost() const { return lost_.load(std::memory_order_acquire); }

    // The received messages as "90 3C 43" strings, in the order received.
    [[nodiscard]] std::vector<std::string> messages() const
    {
        const size_t n = count();
        std::vector<std::string> out;
        out.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            std::string text;
            for (size_t b = 0; b < events_[i].size; ++b) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X", events_[i].bytes[b]);
                text += (b == 0 ? "" : " ") + std::string(hex);
            }
            out.push_back(std::move(text));
        }
        return out;
    }

private:
    struct Event {
        uint8_t size = 0;
        uint8_t bytes[31] = {};
    };

    // The event's bytes were written by the sender's process thread in this
    // cycle; JACK orders the two clients with futexes of its own, which
    // ThreadSanitizer cannot see when both clients live in one process (a
    // real destination is another process). So this copy alone is left
    // out of its view.
    __attribute__((no_sanitize("thread"))) static void keep(Event& kept, const jack_midi_event_t& event)
    {
        kept.size = static_cast<uint8_t>(event.size);
        for (size_t b = 0; b < event.size; ++b) kept.bytes[b] = event.buffer[b];
    }

    static int process(jack_nframes_t frames, void* self)
    {
        auto& monitor = *static_cast<JackMonitor*>(self);
        void* buffer = jack_port_get_buffer(monitor.port_, frames);
        const uint32_t n = jack_midi_get_event_count(buffer);
        size_t at = monitor.count_.load(std::memory_order_relaxed);
        for (uint32_t i = 0; i < n; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0) continue;
            if (at >= monitor.events_.size() || event.size > sizeof(Event::bytes)) {
                monitor.lost_.fetch_add(1, std::memory_order_release);
                continue;
            }
            keep(monitor.events_[at++], event);
        }
        monitor.count_.store(at, std::memory_order_release);
        return 0;
    }

    std::vector<Event> events_;
    std::atomic<size_t> count_{0};
    std::atomic<size_t> lost_{0};
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
};

}  // namespace zema::test
