#include "document/smf_import.h"

#include <algorithm>

#include "core/strings.h"
#include "document/smf_import_steps.h"
#include "document/smf_mml_text.h"
#include "document/smf_reader.h"
#include "document/smf_track_list.h"
#include "document/text_util.h"

namespace zema {

namespace {

SmfImportResult convert(std::string_view bytes, const SmfImportOptions& requested, const std::vector<bool>& selected)
{
    SmfImportResult result;
    const auto file = readSmfFile(bytes);
    const auto tracks = scanSmfTracks(bytes);
    if (!file || !tracks) {
        result.status = SmfImportStatus::ParseError;
        return result;
    }
    SmfImportOptions options = requested;
    options.quantizeValue = normalizeQuantizeValue(options.quantizeValue);

    // The lists the selection names, among the first 16.
    std::vector<bool> wanted(kSmfImportMaxTracks, false);
    int spreadSource = -1;
    for (size_t i = 0; i < tracks->entries.size() && i < selected.size(); ++i) {
        const int list = tracks->entries[i].listIndex;
        if (!selected[i] || list >= kSmfImportMaxTracks) continue;
        wanted[static_cast<size_t>(list)] = true;
        if (spreadSource < 0) spreadSource = list;
    }

    SmfImportLists lists = readImportLists(*file, options, kSmfImportMaxTracks);
    result.title = lists.title;
    result.copyright = lists.copyright;
    const int32_t timebase = file->header.timebase;
    const int32_t unit = quantizeUnit(timebase, options.quantizeValue);
    if (options.spreadTrack) {
        if (spreadSource < 0 || spreadSource >= static_cast<int>(lists.lists.size())) return result;
        SmfImportList& source = lists.lists[static_cast<size_t>(spreadSource)];
        quantizeList(source, unit);
        pairNotes(source, unit, options.reduceRest);
        spreadList(lists.lists, spreadSource, options.spreadControl);
        std::fill(wanted.begin(), wanted.end(), true);
    }

    SmfTextSettings settings;
    settings.timebase = timebase;
    settings.options = options;
    settings.spreading = options.spreadTrack;
    settings.title = lists.title;
    settings.copyright = lists.copyright;
    settings.blobs = &lists.blobs;
    const int listCount = std::min<int>(kSmfImportMaxTracks, static_cast<int>(lists.lists.size()));
    for (int i = 0; i < listCount; ++i) {
        if (!wanted[static_cast<size_t>(i)]) continue;
        SmfImportList& list = lists.lists[static_cast<size_t>(i)];
        if (!options.spreadTrack) {
            quantizeList(list, unit);
            pairNotes(list, unit, options.reduceRest);
        }
        makeMonophonic(list, options.reduceRest);
        if (list.events.empty()) continue;
        result.texts.push_back(writeImportedTrack(list, i, settings));
    }
    return result;
}

}  // namespace

std::u16string smfImportMessage(SmfImportStatus status)
{
    switch (status) {
    case SmfImportStatus::Ok:
        return {};
    case SmfImportStatus::ParseError:
        return loadString("IDS_ERR_SMFPARSE");
    case SmfImportStatus::ConvertError:
        return loadString("IDS_ERR_SMFIMPORT");
    }
    return {};
}

SmfImportResult convertSmf(std::string_view bytes, const SmfImportOptions& options, const std::vector<bool>& selected)
{
    try {
        return convert(bytes, options, selected);
    } catch (const std::exception&) {
        // Out of memory on a huge file: reported as a failed conversion.
        SmfImportResult failed;
        failed.status = SmfImportStatus::ConvertError;
        return failed;
    }
}

DocumentData importedDocument(const SmfImportResult& result, const TimingContext& timing)
{
    DocumentData document;
    document.clear(timing);
    document.title = result.title;
    document.source = result.copyright;
    for (size_t i = 0; i < result.texts.size() && i < static_cast<size_t>(kTrackCount); ++i) {
        DocumentSlot& slot = document.slots[i];
        slot.used = true;
        slot.name = u"Track" + decimalText(static_cast<int64_t>(i) + 1);
        slot.text = result.texts[i];
    }
    return document;
}

std::filesystem::path importedDocumentPath(const std::filesystem::path& midiPath)
{
    std::filesystem::path path = midiPath;
    path.replace_extension(".mml");
    return path;
}

}  // namespace zema
