#pragma once

#include <cstdint>
#include <string>

namespace zema {

// Why a file could not be read, or what was left out of one that was: the
// readers' answer beyond yes or no, which the window and the command-line
// tool turn into the reason they show.
enum class ReadStatusKind : uint8_t {
    Ok,
    // Failures: nothing was read.
    Unreadable,     // the system refused the file; `systemError` holds its errno
    Empty,          // no bytes, or nothing but white space
    WrongKind,      // content, but not a file of the kind asked for
    BadMidiHeader,  // "MThd" is there but its length, format or division is unusable
    // Read with a loss: the result holds what could be read.
    DamagedExtension,  // the extension block failed its checks; the rest of the document was read
    UnknownEncoding,   // the Encoding key names no charset known here; read as detected
    TruncatedTrack,    // a MIDI track, or the list of tracks, ends early; what is there was read
};

// Which case of its kind a status describes, for the reason's wording.
enum class ReadDetail : uint8_t {
    None,
    NotMmlDocument,   // WrongKind of a .mml document
    NotMmsDocument,   // WrongKind of a .mms document
    NoPastedMml,      // WrongKind of pasted game text
    NotMidiFile,      // WrongKind of a Standard MIDI File
    NotInstruments,   // WrongKind of an instrument definition file
    HeaderCut,        // BadMidiHeader: the file ends inside the header
    HeaderLength,     // BadMidiHeader: `value` is the header length found
    HeaderFormat,     // BadMidiHeader: `value` is the format found
    HeaderDivision,   // BadMidiHeader: `value` is the SMPTE division found
    TrackCut,         // TruncatedTrack: track `value` (from 1) runs past the file end
    TracksMissing,    // TruncatedTrack: `expected` tracks announced, `value` read
};

struct ReadStatus {
    ReadStatusKind kind = ReadStatusKind::Ok;
    ReadDetail detail = ReadDetail::None;
    int systemError = 0;      // errno of an Unreadable file
    int32_t value = 0;        // the number the detail speaks of
    int32_t expected = 0;     // TracksMissing: tracks the header announced
    std::u16string charset;   // UnknownEncoding: the name the file gives
    std::u16string readAs;    // UnknownEncoding: the charset used instead

    // Nothing was read.
    [[nodiscard]] bool failed() const
    {
        return kind == ReadStatusKind::Unreadable || kind == ReadStatusKind::Empty ||
               kind == ReadStatusKind::WrongKind || kind == ReadStatusKind::BadMidiHeader;
    }
    // Read, but something was left out or guessed.
    [[nodiscard]] bool lossy() const { return kind != ReadStatusKind::Ok && !failed(); }
    // True when the result holds a document (lossy or not).
    explicit operator bool() const { return !failed(); }

    [[nodiscard]] static ReadStatus unreadable(int systemError);
    [[nodiscard]] static ReadStatus of(ReadStatusKind kind, ReadDetail detail = ReadDetail::None, int32_t value = 0);
};

// The reason in the user's language, one line: "" for Ok. An unreadable
// file's reason ends with the system's own text for its errno.
[[nodiscard]] std::u16string readStatusText(const ReadStatus& status);

// A written message with the reason on a second line ("message\nreason"),
// or the message alone for Ok.
[[nodiscard]] std::u16string withReadReason(std::u16string_view message, const ReadStatus& status);

}  // namespace zema
