#include "cli/event_json.h"

#include <iostream>

#include "core/unicode.h"

namespace zema::cli {

nlohmann::ordered_json eventToJson(const TrackEvent& e)
{
    nlohmann::ordered_json j;
    j["kind"] = std::string(kindName(e.kind));
    j["tick"] = e.tick;
    j["length"] = e.length;
    j["noteNumber"] = e.noteNumber;
    j["value"] = e.value;
    j["value2"] = e.value2;
    j["channel"] = e.channel;
    j["trackIndex"] = e.trackIndex;
    j["groupId"] = e.groupId;
    j["sequence"] = e.sequence;
    j["letter"] = e.letter > 0 && e.letter < 128 ? std::string(1, static_cast<char>(e.letter)) : std::string();
    j["octave"] = e.octave;
    j["sharp"] = e.sharp;
    j["step"] = e.step;
    j["startLine"] = e.startLine;
    j["startColumn"] = e.startColumn;
    j["endLine"] = e.endLine;
    j["endColumn"] = e.endColumn;
    j["dotted"] = e.dotted;
    j["byNumber"] = e.byNumber;
    j["defaultDotted"] = e.defaultDotted;
    j["defaultLength"] = e.defaultLength;
    j["lengthNumber"] = e.lengthNumber;
    j["text"] = utf16ToUtf8(e.text);
    j["data"] = e.data;
    return j;
}

void printEvents(const std::vector<TrackEvent>& events)
{
    std::string out;
    for (const TrackEvent& e : events) {
        out += eventToJson(e).dump();
        out += '\n';
    }
    std::cout << out;
}

}  // namespace zema::cli
