#include "app/clip_import.h"

#include "app/track_commands.h"
#include "core/strings.h"
#include "document/mml_atmark_reader.h"
#include "document/mml_file_reader.h"
#include "document/text_util.h"

namespace zema {

PastedText readPastedText(std::u16string_view text, const TimingContext& defaults)
{
    PastedText pasted;
    CMMLAtmarkReader atmark(defaults);
    if (atmark.LoadText(text)) {
        pasted.kind = PastedKind::Atmark;
        pasted.document = atmark.result();
        for (const DocumentSlot& slot : pasted.document.slots) pasted.trackCount += slot.used ? 1 : 0;
        return pasted;
    }
    CMMLFileReader file(defaults);
    if (file.LoadText(text)) {
        pasted.kind = PastedKind::Document;
        pasted.document = file.result();
    }
    return pasted;
}

std::u16string importedTrackName(std::u16string_view name, int number)
{
    return formatText(name.empty() ? u"Track%d" : u"%s%d", name.empty() ? std::initializer_list<FormatArgument>{number}
                                                                        : std::initializer_list<FormatArgument>{name, number});
}

std::vector<std::u16string> importedTexts(const DocumentData& document)
{
    std::vector<std::u16string> texts;
    for (const DocumentSlot& slot : document.slots) {
        if (slot.used) texts.push_back(slot.text);
    }
    return texts;
}

void nameImportedTracks(DocumentData& document, std::u16string_view name, int32_t instrument)
{
    int number = 0;
    for (DocumentSlot& slot : document.slots) {
        if (!slot.used) continue;
        slot.name = importedTrackName(name, ++number);
        slot.instrument = instrument;
    }
}

ImportAddition addImportedTracks(Song& song, const std::vector<std::u16string>& texts, std::u16string_view name,
                                 int32_t instrument)
{
    ImportAddition addition;
    int number = 0;
    for (const std::u16string& text : texts) {
        const std::optional<int32_t> slot = addTrack(song, importedTrackName(name, ++number));
        if (!slot) {
            ++addition.refused;
            continue;
        }
        Track& track = song.tracks[static_cast<size_t>(*slot)];
        track.text = text;
        track.instrument = instrument;
        recompileTrack(song, *slot);
        addition.slots.push_back(*slot);
    }
    return addition;
}

}  // namespace zema
