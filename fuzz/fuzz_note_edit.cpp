// Any bytes as a track and a few note edits: the engine must never crash, an
// accepted edit must leave exactly the intended notes and be undone by its
// changes, and a refused one must leave the text alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/note_edit.h"
#include "core/unicode.h"

namespace {

int32_t read16(const uint8_t* p) { return static_cast<int32_t>(p[0] | (p[1] << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Byte 0: timebase and edit count; then 7 bytes per edit; the rest is the text.
    if (size < 1 || size > 4096) return 0;
    static constexpr int32_t kTimebases[] = {96, 32, 48, 120, 480, 960, 1, 7};
    const zema::TimingContext timing{kTimebases[data[0] & 7], 4, 4};
    const size_t editCount = std::min<size_t>((data[0] >> 3) & 3, (size - 1) / 7);
    const size_t textStart = 1 + editCount * 7;
    const std::u16string text =
        zema::utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + textStart, size - textStart));

    const std::vector<zema::EditNote> notes = zema::editableNotes(timing, text);
    std::vector<zema::NoteEdit> edits;
    for (size_t k = 0; k < editCount; ++k) {
        const uint8_t* e = data + 1 + k * 7;
        zema::NoteEdit edit;
        edit.kind = static_cast<zema::NoteEditKind>(e[0] % 5);
        // Mostly notes the track has, sometimes any.
        if (!notes.empty() && (e[0] & 0x80) == 0) {
            const zema::EditNote& n = notes[e[1] % notes.size()];
            edit.tick = n.tick;
            edit.noteNumber = n.noteNumber;
        } else {
            edit.tick = read16(e + 1);
            edit.noteNumber = e[3] & 0x7F;
        }
        // New places within 64 bars and lengths within 8 bars of the timebase:
        // further only makes longer rests and ties, and at a timebase of 1 a
        // far tick costs a second a run without reaching new code.
        const int32_t bar = 4 * timing.timebase;
        edit.note = {std::min(read16(e + 4) * ((e[0] & 0x40) ? 6 : 1), 64 * bar), std::clamp(e[6] * 6, 1, 8 * bar),
                     (e[6] + e[4]) & 0x7F, (e[5] & 0x1F) - 8};
        edits.push_back(edit);
    }

    const zema::NoteEditResult result = zema::applyNoteEdits(timing, text, edits);
    if (!result.ok()) {
        if (result.text != text || !result.changes.empty()) __builtin_trap();
        return 0;
    }
    std::u16string rebuilt = text;
    for (auto it = result.changes.rbegin(); it != result.changes.rend(); ++it) {
        if (it->offset < 0 || it->removed < 0 || static_cast<size_t>(it->offset + it->removed) > text.size())
            __builtin_trap();
        rebuilt.replace(static_cast<size_t>(it->offset), static_cast<size_t>(it->removed), it->inserted);
    }
    if (rebuilt != result.text) __builtin_trap();
    // The notes the engine promised: the edited note list, as the new text compiles.
    const std::vector<zema::EditNote> after = zema::editableNotes(timing, result.text);
    size_t inserted = 0;
    for (const zema::NoteEdit& edit : edits) inserted += edit.kind == zema::NoteEditKind::Insert ? 1 : 0;
    size_t deleted = 0;
    for (const zema::NoteEdit& edit : edits) {
        if (edit.kind == zema::NoteEditKind::Delete &&
            std::none_of(edits.begin(), edits.end(), [&](const zema::NoteEdit& other) {
                return &other < &edit && other.kind == zema::NoteEditKind::Delete && other.tick == edit.tick &&
                       other.noteNumber == edit.noteNumber;
            })) {
            ++deleted;
        }
    }
    if (after.size() != notes.size() + inserted - deleted) __builtin_trap();
    return 0;
}
