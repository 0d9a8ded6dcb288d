#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "playback/offline_render.h"

namespace zema {

struct Settings;

// The window's exports to other media, without a window: the names the save
// dialogs propose, the MIDI format a filter entry stands for, and the WAVE
// export's settings and elapsed-time label.

// The filter entry chosen in the MIDI export's save dialog: the second entry
// ("Format-0") writes format 0, any other format 1.
[[nodiscard]] int32_t smfFormatOfFilter(int filterIndex);

// The MIDI export proposes the document's path without its extension; for a
// document never saved, the song's title, or "名称未設定" without one.
[[nodiscard]] std::u16string proposedSmfExportName(std::u16string_view documentPath, std::u16string_view title);
// The WAVE export proposes the document's path with the extension ".wav";
// for a document never saved, the title followed by ".wav", or "名称未設定.wav".
[[nodiscard]] std::u16string proposedWaveExportName(std::u16string_view documentPath, std::u16string_view title);

// The software synthesizer as the settings open it: rate, channels, effects,
// volume and reset message, with the bank file of output kind 1, the General
// MIDI set of kind 2, and for a MIDI port the bank file when one is set
// (the game's bank renders the game's sound), else the General MIDI set.
[[nodiscard]] RenderOptions waveRenderOptionsOf(const Settings& settings);

// "出力時間 mm:ss.fff" for the time since the export started; minutes are
// not wrapped at 60.
[[nodiscard]] std::u16string waveExportTimeText(int64_t elapsedMilliseconds);

}  // namespace zema
