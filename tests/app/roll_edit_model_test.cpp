#include <gtest/gtest.h>

#include <vector>

#include "app/roll_edit_model.h"
#include "core/strings.h"

namespace zema {
namespace {

TEST(RollGrid, StepsAndNewNoteLengthsFollowTheTimebase)
{
    struct Case {
        int grid;
        int32_t timebase;
        int32_t step;
        int32_t length;
    };
    const Case cases[] = {
        {0, 96, 384, 384},  {2, 96, 96, 96},  {4, 96, 24, 24},   {6, 96, 6, 6},      {7, 96, 144, 144},
        {10, 96, 18, 18},   {11, 96, 64, 64}, {13, 96, 16, 16},  {kRollGridOff, 96, 1, 96},
        {4, 480, 120, 120}, {13, 32, 5, 5},   {6, 32, 2, 2},     {-3, 96, 1, 96},    {99, 96, 1, 96},
    };
    for (const Case& c : cases) {
        const TimingContext timing{c.timebase, 4, 4};
        EXPECT_EQ(rollGridStep(timing, c.grid), c.step) << c.grid << " at " << c.timebase;
        EXPECT_EQ(rollGridNoteLength(timing, c.grid), c.length) << c.grid << " at " << c.timebase;
    }
    // Every entry has a text in the string table.
    for (const RollGridChoice& choice : rollGridChoices()) EXPECT_FALSE(loadString(choice.stringId).empty());
}

TEST(RollGrid, SnapsToTheNearestOrTheEarlierLineNeverBelowZero)
{
    struct Case {
        int64_t tick;
        int32_t step;
        SnapMode mode;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 24, SnapMode::Nearest, 0},   {11, 24, SnapMode::Nearest, 0},  {12, 24, SnapMode::Nearest, 24},
        {35, 24, SnapMode::Nearest, 24}, {47, 24, SnapMode::Down, 24},    {48, 24, SnapMode::Down, 48},
        {-30, 24, SnapMode::Nearest, 0}, {17, 1, SnapMode::Nearest, 17},  {17, 0, SnapMode::Down, 17},
    };
    for (const Case& c : cases) EXPECT_EQ(snapTick(c.tick, c.step, c.mode), c.expected) << c.tick << "/" << c.step;
    // Dragging keeps the grab offset out: the start lands on the nearest line.
    EXPECT_EQ(draggedTick(96, 30, 24), 120);
    EXPECT_EQ(draggedTick(10, -40, 24), 0);
    EXPECT_EQ(draggedLength(EditNote{96, 48, 60, 8}, 13, 24), 72);
    EXPECT_EQ(draggedLength(EditNote{96, 48, 60, 8}, -200, 24), 24);  // never shorter than a step
    EXPECT_EQ(draggedLength(EditNote{100, 48, 60, 8}, 0, 24), 44);    // the end snaps, not the length
}

// 48 ticks per 48-pixel column: one pixel per tick; 8-pixel rows from note 119.
const RollGeometry kGeometry{0, 48, 48, 8, 0};

TEST(RollGeometryTest, MapsPixelsToTicksAndNotesBothWays)
{
    RollGeometry g{96, 24, 48, 10, 400};
    EXPECT_EQ(g.xOfTick(96), 0);
    EXPECT_EQ(g.xOfTick(120), 48);
    EXPECT_EQ(g.tickOfX(47), 119);
    EXPECT_EQ(g.tickOfX(-1), 95);
    EXPECT_EQ(g.noteOfY(0), 79);
    EXPECT_EQ(g.yOfNote(79), 0);
    EXPECT_EQ(g.noteOfY(-500), kRollTopNote);
    EXPECT_EQ(g.noteOfY(5000), kRollBottomNote);
}

TEST(RollHitTest, FindsBodyEndAndTheLaterOfOverlappingNotes)
{
    const int row60 = kGeometry.yOfNote(60);
    const std::vector<EditNote> notes = {{0, 48, 60, 8}, {48, 48, 60, 8}, {48, 4, 62, 8}, {40, 30, 60, 8}};
    struct Case {
        int x;
        int y;
        int index;
        RollHitPart part;
    };
    const Case cases[] = {
        {10, row60 + 3, 0, RollHitPart::Body}, {35, row60, 0, RollHitPart::Body},
        {44, row60 + 7, 3, RollHitPart::Body},  // the later note lies over the first
        {65, row60, 3, RollHitPart::End},       {90, row60, 1, RollHitPart::End},
        {60, row60 + 8, -1, RollHitPart::None}, {50, kGeometry.yOfNote(62), 2, RollHitPart::Body},
        {51, kGeometry.yOfNote(62), 2, RollHitPart::Body},  // too narrow to resize
        {96, row60, -1, RollHitPart::None},
    };
    for (const Case& c : cases) {
        const RollHit hit = hitNote(notes, kGeometry, c.x, c.y);
        EXPECT_EQ(hit.index, c.index) << c.x << "," << c.y;
        EXPECT_EQ(hit.part, c.part) << c.x << "," << c.y;
    }
}

TEST(RollSelectionTest, ClicksAndBandsReplaceAddOrToggle)
{
    const std::vector<EditNote> notes = {{0, 24, 60, 8}, {24, 24, 62, 8}, {48, 24, 64, 8}, {96, 24, 72, 8}};
    RollSelection s;
    s.click(notes[0], SelectMode::Replace);
    s.click(notes[1], SelectMode::Add);
    EXPECT_EQ(s.size(), 2u);
    s.click(notes[1], SelectMode::Replace);  // a selected note keeps the group for dragging
    EXPECT_EQ(s.size(), 2u);
    s.click(notes[2], SelectMode::Replace);
    EXPECT_EQ(s.selected(notes), std::vector<EditNote>{notes[2]});
    s.click(notes[2], SelectMode::Toggle);
    EXPECT_TRUE(s.empty());

    // The band touches notes overlapping its ticks within its note range, in either drag direction.
    s.band(notes, 60, 20, 64, 61, SelectMode::Replace);
    EXPECT_EQ(s.selected(notes), (std::vector<EditNote>{notes[1], notes[2]}));
    s.band(notes, 0, 10, 60, 60, SelectMode::Add);
    EXPECT_EQ(s.size(), 3u);
    s.band(notes, 0, 200, 0, 127, SelectMode::Toggle);
    EXPECT_EQ(s.selected(notes), std::vector<EditNote>{notes[3]});
    s.band(notes, 72, 96, 0, 127, SelectMode::Replace);  // ends are exclusive
    EXPECT_TRUE(s.empty());

    s.selectAll(notes);
    const std::vector<EditNote> after = {notes[0], notes[3]};
    s.keepExisting(after);
    EXPECT_EQ(s.selected(notes), after);
}

TEST(RollEdits, GesturesBecomeEditsWithTheirKeysAfterwards)
{
    const std::vector<EditNote> notes = {{0, 24, 60, 10}, {48, 24, 62, 5}};
    // A new note asks for the volume in force where it lands.
    EXPECT_EQ(insertEdit(24, 12, 67), (NoteEdit{NoteEditKind::Insert, 24, 67, EditNote{24, 12, 67, -1}}));

    const auto moved = moveEdits(notes, 24, 12);
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1], (NoteEdit{NoteEditKind::Move, 48, 62, EditNote{72, 24, 74, 5}}));
    EXPECT_EQ(keysAfter(moved), (std::set<NoteKey>{{24, 72}, {72, 74}}));
    EXPECT_TRUE(moveEdits(notes, -24, 0).empty());    // would start before the song
    EXPECT_TRUE(moveEdits(notes, 0, 60).empty());     // above the top row
    EXPECT_TRUE(moveEdits(notes, 0, 0).empty());

    const auto resized = resizeEdits(notes, -20, 6);
    ASSERT_EQ(resized.size(), 2u);
    EXPECT_EQ(resized[0].note.length, 6);
    EXPECT_TRUE(resizeEdits(notes, 0, 6).empty());

    const auto volumes = volumeEdits(notes, {{0, 10}, {1, 20}, {7, 3}});
    ASSERT_EQ(volumes.size(), 1u);  // note 0 already has 10; index 7 does not exist
    EXPECT_EQ(volumes[0].note.volume, 15);
    EXPECT_EQ(keysAfter(volumes), (std::set<NoteKey>{{48, 62}}));

    const auto deleted = deleteEdits(notes);
    EXPECT_EQ(deleted[1].kind, NoteEditKind::Delete);
    EXPECT_TRUE(keysAfter(deleted).empty());

    const auto pasted = pasteEdits(notes, 192);
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(pasted[0].note, (EditNote{192, 24, 60, 10}));
    EXPECT_EQ(pasted[1].note, (EditNote{240, 24, 62, 5}));
}

TEST(RollVolumeLane, HeightToVolumeAndTheNotesASweepCrosses)
{
    struct Case {
        int y;
        int height;
        int volume;
    };
    const Case cases[] = {{0, 31, 15}, {30, 31, 0}, {15, 31, 8}, {-5, 31, 15}, {99, 31, 0}, {3, 1, 15}};
    for (const Case& c : cases) EXPECT_EQ(volumeOfY(c.y, c.height), c.volume) << c.y;

    const std::vector<EditNote> notes = {{0, 24, 60, 8}, {24, 24, 62, 8}, {96, 24, 64, 8}};
    EXPECT_EQ(notesUnderSweep(notes, kGeometry, 10, 10), std::vector<int>{0});
    EXPECT_EQ(notesUnderSweep(notes, kGeometry, 100, 5), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(notesUnderSweep(notes, kGeometry, 50, 90).empty());
    // A stroke from the top at x 0 to the bottom at x 100 draws a ramp; a still mouse one level.
    EXPECT_EQ(sweepVolumes(notes, kGeometry, {0, 0}, {100, 30}, 31), (std::map<int, int>{{0, 15}, {1, 12}, {2, 1}}));
    EXPECT_EQ(sweepVolumes(notes, kGeometry, {30, 15}, {30, 15}, 31), (std::map<int, int>{{1, 8}}));
}

TEST(RollFindNotes, ScrollsOnlyWhenNoNoteRowIsVisible)
{
    const std::vector<EditNote> bass = {{0, 24, 36, 8}, {24, 24, 43, 8}};
    // 8-pixel rows, a 200-pixel view at the top: C2..G2 are far below.
    const auto y = scrollToShowNotes(bass, 8, 200, 0);
    ASSERT_TRUE(y.has_value());
    const int top36 = (kRollTopNote - 36) * 8;
    const int top43 = (kRollTopNote - 43) * 8;
    EXPECT_LE(*y, top43);
    EXPECT_GE(*y + 200, top36 + 8);
    EXPECT_FALSE(scrollToShowNotes(bass, 8, 200, *y).has_value());
    EXPECT_FALSE(scrollToShowNotes(bass, 8, 200, top36 - 199).has_value());  // one pixel of a row shows
    EXPECT_FALSE(scrollToShowNotes({}, 8, 200, 0).has_value());
    // Near the bottom the position stays inside the content.
    const std::vector<EditNote> low = {{0, 24, kRollBottomNote, 8}};
    EXPECT_EQ(scrollToShowNotes(low, 8, 200, 0), 96 * 8 - 200);
}

}  // namespace
}  // namespace zema
