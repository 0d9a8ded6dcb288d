#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "compile_helpers.h"
#include "core/song.h"

namespace zema {
namespace {

using K = TrackEventKind;

std::unique_ptr<Song> songOf(std::initializer_list<std::pair<int, const char16_t*>> tracks)
{
    auto song = std::make_unique<Song>();
    for (const auto& [slot, text] : tracks) {
        song->tracks[static_cast<size_t>(slot)].used = true;
        song->tracks[static_cast<size_t>(slot)].text = text;
    }
    return song;
}

// The list must be ordered by tick, then track index, then sequence.
void expectOrdered(const SongEventList& list)
{
    for (size_t i = 1; i < list.size(); ++i) {
        const auto& a = list[i - 1];
        const auto& b = list[i];
        if (a.kind == K::Overlap || b.kind == K::Overlap) continue;
        const bool ordered = a.tick < b.tick || (a.tick == b.tick && a.trackIndex < b.trackIndex) ||
                             (a.tick == b.tick && a.trackIndex == b.trackIndex && a.sequence < b.sequence);
        EXPECT_TRUE(ordered) << "at " << i;
    }
}

long overlapsIn(const SongEventList& list)
{
    return std::count_if(list.begin(), list.end(), [](const auto& e) { return e.kind == K::Overlap; });
}

TEST(Merge, SetsSequenceTrackGroupAndDefaultChannel)
{
    const auto c = test::compile("//#using_extension\nc\n//#using_channel=4\nd");
    SongEventList list;
    mergeTrack(list, 5, c.events, 3);
    ASSERT_EQ(list.size(), c.events.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].sequence, static_cast<int32_t>(i));
        EXPECT_EQ(list[i].trackIndex, 5);
        EXPECT_EQ(list[i].groupId, 3);
    }
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const auto& e) { return e.kind == K::Note; }), 2);
    EXPECT_EQ(list[2].channel, 5);  // first note: the track's own channel
    EXPECT_EQ(list[3].channel, 3);  // second note: the directive's
}

TEST(Merge, RemergingReplacesTheTrackEvents)
{
    SongEventList list;
    mergeTrack(list, 0, test::compile("c c c").events, 0);
    mergeTrack(list, 1, test::compile("d").events, 0);
    mergeTrack(list, 0, test::compile("e").events, 0);
    int track0 = 0;
    for (const auto& e : list) track0 += e.trackIndex == 0 && e.kind == K::Note;
    EXPECT_EQ(track0, 1);
    expectOrdered(list);
}

TEST(Overlap, SamePitchInOneGroupIsFlaggedOnce)
{
    auto song = songOf({{0, u"c2 d"}, {1, u"r4 c4 c4"}, {2, u"c1"}});
    song->tracks[0].group = 1;
    song->tracks[1].group = 1;
    song->tracks[2].group = 2;  // same pitch, other group: never flagged
    recompileAll(*song);
    std::vector<TrackEvent> overlaps;
    for (const auto& e : song->events)
        if (e.kind == K::Overlap) overlaps.push_back(e);
    ASSERT_EQ(overlaps.size(), 1u);
    EXPECT_EQ(std::tie(overlaps[0].tick, overlaps[0].trackIndex, overlaps[0].value, overlaps[0].noteNumber),
              std::make_tuple(96, 1, 1, 60));
    // Each overlap stands just before its note.
    for (size_t i = 0; i + 1 < song->events.size(); ++i) {
        if (song->events[i].kind != K::Overlap) continue;
        EXPECT_EQ(song->events[i + 1].kind, K::Note);
        EXPECT_EQ(song->events[i + 1].tick, song->events[i].tick);
    }
}

TEST(Overlap, TouchingNotesDoNotOverlapAndGroupZeroClears)
{
    SongEventList list;
    mergeTrack(list, 0, test::compile("c4 c4").events, 4);
    mergeTrack(list, 1, test::compile("r4 c4").events, 4);
    markOverlaps(list, 4);
    EXPECT_EQ(overlapsIn(list), 1);
    markOverlaps(list, 0);
    EXPECT_EQ(overlapsIn(list), 0);

    SongEventList touching;
    mergeTrack(touching, 0, test::compile("c4 c4 c0").events, 2);  // c0 is a default-length note
    markOverlaps(touching, 2);
    EXPECT_EQ(overlapsIn(touching), 0);
}

TEST(Recompile, TracksStartAtTheirMarkersAndMarkersJoinTheList)
{
    auto song = songOf({{0, u"c"}, {3, u"d"}});
    song->markers.push_back(Marker{192, 0x00FF8000, u"サビ"});
    song->tracks[3].startMarker = 1;
    recompileAll(*song);
    expectOrdered(song->events);

    const auto note3 = std::find_if(song->events.begin(), song->events.end(),
                                    [](const auto& e) { return e.kind == K::Note && e.trackIndex == 3; });
    ASSERT_NE(note3, song->events.end());
    EXPECT_EQ(note3->tick, 192);
    const auto entry = std::find_if(song->events.begin(), song->events.end(),
                                    [](const auto& e) { return e.kind == K::MarkerEntry; });
    ASSERT_NE(entry, song->events.end());
    EXPECT_EQ(std::tie(entry->trackIndex, entry->groupId, entry->tick, entry->value, entry->text),
              std::make_tuple(kMarkerTrackIndex, 0, 192, 0x00FF8000, u"サビ"));
    EXPECT_EQ(songEndTick(*song), 288);

    // One track edited: only its events change.
    song->tracks[0].text = u"c1";
    recompileTrack(*song, 0);
    expectOrdered(song->events);
    EXPECT_EQ(songEndTick(*song), 384);
}

TEST(Recompile, EmptyAndUnusedSlotsDoNotExtendTheSong)
{
    auto song = songOf({{0, u""}, {1, u"c"}});
    song->tracks[2].text = u"c1 c1";  // not in use
    recompileAll(*song);
    EXPECT_EQ(songEndTick(*song), 96);
    for (const auto& e : song->events) EXPECT_NE(e.trackIndex, 2);
}

TEST(Markers, IndexZeroIsTheImplicitSongStart)
{
    Song song;
    const Marker start = markerAt(song, 0);
    EXPECT_EQ(start.name, u"先頭");
    EXPECT_EQ(start.colour, 0x002828E0u);
    EXPECT_EQ(startTickOfMarker(song, 0), 0);
    EXPECT_EQ(startTickOfMarker(song, 7), 0);  // past the list: the song start
}

TEST(StatusLine, ShowsStatesEndingBeforeTheCaret)
{
    const auto c = test::compile(u"t150 o5\r\nv12 l8. c\r\nl16");
    EXPECT_EQ(statusLineText(c.states, 0, 0), "Tempo 120, Octave 4, Velocity  8, L4 ");
    EXPECT_EQ(statusLineText(c.states, 0, 4), "Tempo 150, Octave 4, Velocity  8, L4 ");
    EXPECT_EQ(statusLineText(c.states, 0, 7), "Tempo 150, Octave 5, Velocity  8, L4 ");
    EXPECT_EQ(statusLineText(c.states, 1, 7), "Tempo 150, Octave 5, Velocity 12, L8.");
    EXPECT_EQ(statusLineText(c.states, 5, 0), "Tempo 150, Octave 5, Velocity 12, L16 ");
}

// Whatever the order tracks are merged in, the list equals a stable sort of all
// their events by (tick, track), each track's events keeping their order.
TEST(Merge, AnyMergeOrderGivesTheSortedList)
{
    const char16_t* texts[] = {u"c8 d4 r8 e16 t130 f", u"r4 c c", u"l16 cdefgab", u"c1", u"r8 v3 c8 c8 c8"};
    std::vector<EventList> tracks;
    for (const char16_t* text : texts) tracks.push_back(test::compile(text).events);

    SongEventList expected;
    for (size_t t = 0; t < tracks.size(); ++t) {
        for (size_t i = 0; i < tracks[t].size(); ++i) {
            TrackEvent e = tracks[t][i];
            e.trackIndex = static_cast<int32_t>(t);
            e.sequence = static_cast<int32_t>(i);
            e.channel = static_cast<int32_t>(t);
            expected.push_back(e);
        }
    }
    std::stable_sort(expected.begin(), expected.end(), [](const TrackEvent& a, const TrackEvent& b) {
        return a.tick < b.tick || (a.tick == b.tick && a.trackIndex < b.trackIndex);
    });

    std::vector<int> order{0, 1, 2, 3, 4};
    do {
        SongEventList list;
        for (int t : order) mergeTrack(list, t, tracks[static_cast<size_t>(t)], 0);
        ASSERT_EQ(list, expected);
    } while (std::next_permutation(order.begin(), order.end()));
}

// Rebuilding the whole song gives what merging each track in turn gives.
TEST(Recompile, WholeSongEqualsTrackByTrackMerging)
{
    auto song = songOf({{4, u"c4 d8 e8 t90 f2"}, {0, u"r8 c8 c4 c2"}, {9, u"//#using_extension\n@3 c&c y7,90"},
                        {2, u"l16 o5 cdefgab"}});
    song->tracks[0].group = 1;
    song->tracks[4].group = 1;
    song->markers = {Marker{96, 0, u""}, Marker{200, 0, u""}};
    song->tracks[2].startMarker = 2;
    recompileAll(*song);

    SongEventList expected;
    for (int i : {0, 2, 4, 9}) mergeTrack(expected, i, song->tracks[static_cast<size_t>(i)].events,
                                          song->tracks[static_cast<size_t>(i)].group);
    markOverlaps(expected, song->tracks[0].group);
    mergeTrack(expected, kMarkerTrackIndex, markerEvents(song->markers), 0);
    EXPECT_EQ(song->events, expected);
    EXPECT_EQ(overlapsIn(expected), 1);
}

}  // namespace
}  // namespace zema
