#include "document/read_status.h"

#include <cstring>

#include "core/strings.h"
#include "core/unicode.h"

namespace zema {

ReadStatus ReadStatus::unreadable(int systemError)
{
    ReadStatus status;
    status.kind = ReadStatusKind::Unreadable;
    status.systemError = systemError;
    return status;
}

ReadStatus ReadStatus::of(ReadStatusKind kind, ReadDetail detail, int32_t value)
{
    ReadStatus status;
    status.kind = kind;
    status.detail = detail;
    status.value = value;
    return status;
}

namespace {

std::u16string wrongKindText(ReadDetail detail)
{
    switch (detail) {
        case ReadDetail::NotMmsDocument: return loadString("IDS_READ_NOT_MMS");
        case ReadDetail::NoPastedMml: return loadString("IDS_READ_NO_PASTED_MML");
        case ReadDetail::NotMidiFile: return loadString("IDS_READ_NOT_SMF");
        case ReadDetail::NotInstruments: return loadString("IDS_READ_NOT_DEF");
        default: return loadString("IDS_READ_NOT_MML");
    }
}

std::u16string midiHeaderText(const ReadStatus& status)
{
    switch (status.detail) {
        case ReadDetail::HeaderLength: return formatText(loadString("IDS_READ_MIDI_HEADER_LENGTH"), {status.value});
        case ReadDetail::HeaderFormat: return formatText(loadString("IDS_READ_MIDI_FORMAT"), {status.value});
        case ReadDetail::HeaderDivision: return formatText(loadString("IDS_READ_MIDI_DIVISION"), {status.value});
        default: return loadString("IDS_READ_MIDI_HEADER_CUT");
    }
}

}  // namespace

std::u16string readStatusText(const ReadStatus& status)
{
    switch (status.kind) {
        case ReadStatusKind::Ok: return {};
        case ReadStatusKind::Unreadable: {
            // The system's own wording, in whatever language its C library speaks.
            const std::u16string reason = utf8ToUtf16(std::strerror(status.systemError));
            return formatText(loadString("IDS_READ_UNREADABLE"), {std::u16string_view(reason)});
        }
        case ReadStatusKind::Empty: return loadString("IDS_READ_EMPTY");
        case ReadStatusKind::WrongKind: return wrongKindText(status.detail);
        case ReadStatusKind::BadMidiHeader: return midiHeaderText(status);
        case ReadStatusKind::DamagedExtension: return loadString("IDS_READ_EXTENSION_DAMAGED");
        case ReadStatusKind::UnknownEncoding:
            return formatText(loadString("IDS_READ_UNKNOWN_ENCODING"),
                              {std::u16string_view(status.charset), std::u16string_view(status.readAs)});
        case ReadStatusKind::TruncatedTrack:
            if (status.detail == ReadDetail::TracksMissing) {
                return formatText(loadString("IDS_READ_TRACKS_MISSING"), {status.expected, status.value});
            }
            return formatText(loadString("IDS_READ_TRACK_CUT"), {status.value});
    }
    return {};
}

std::u16string withReadReason(std::u16string_view message, const ReadStatus& status)
{
    std::u16string text(message);
    if (status.kind != ReadStatusKind::Ok) text += u'\n' + readStatusText(status);
    return text;
}

}  // namespace zema
