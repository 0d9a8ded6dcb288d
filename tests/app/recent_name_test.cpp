#include <gtest/gtest.h>

#include "app/recent_name.h"

namespace zema {
namespace {

TEST(RecentName, PathsThatFitAreShownWhole)
{
    EXPECT_EQ(shortenedRecentName(u"/songs/tune.mml"), u"/songs/tune.mml");
    const std::u16string thirty = u"/abcdefghij/klmnopqrst/uvw.mml";
    ASSERT_EQ(thirty.size(), 30u);
    EXPECT_EQ(shortenedRecentName(thirty), thirty);
    EXPECT_EQ(shortenedRecentName(u""), u"");
}

TEST(RecentName, LeadingFoldersGiveWayToAnEllipsisAfterTheRoot)
{
    // 37 units: the folders next to the file stay as far as they fit.
    EXPECT_EQ(shortenedRecentName(u"/home/user/music/songs/album/tune.mml"), u"/.../songs/album/tune.mml");
    EXPECT_EQ(shortenedRecentName(u"/abcdefghij/klmnopqrst/uvwx.mml"), u"/.../klmnopqrst/uvwx.mml");
    EXPECT_EQ(shortenedRecentName(u"C:\\Users\\someone\\Documents\\Mabinogi\\song.mml"),
              u"C:\\...\\Mabinogi\\song.mml");
    EXPECT_EQ(shortenedRecentName(u"relative/folder/deeper/still/file.mml"), u".../deeper/still/file.mml");
    // Only the folder next to the file is dropped too when nothing else fits.
    EXPECT_EQ(shortenedRecentName(u"/a/verylongfoldername_123456789/name.mml"), u"/.../name.mml");
    EXPECT_EQ(shortenedRecentName(u"/home/user/x/y.mml", 12), u"/.../x/y.mml");
    EXPECT_EQ(shortenedRecentName(u"/home/user/x/y.mml", 11), u"/.../y.mml");
}

TEST(RecentName, HomeIsWrittenAsTilde)
{
    EXPECT_EQ(shortenedRecentName(u"/home/user/music/songs/album/tune.mml", 30, u"/home/user/"),
              u"~/music/songs/album/tune.mml");
    EXPECT_EQ(shortenedRecentName(u"/home/user/music/songs/album/more/tune.mml", 30, u"/home/user"),
              u"~/.../album/more/tune.mml");
    // Only a whole folder name counts as the home folder.
    EXPECT_EQ(shortenedRecentName(u"/home/username/a.mml", 30, u"/home/user"), u"/home/username/a.mml");
}

TEST(RecentName, LongFileNamesAreShownAloneOrCut)
{
    // The root, "..." and the name do not fit: the name alone.
    EXPECT_EQ(shortenedRecentName(u"/folder/a_file_name_of_27_units.mml"), u"a_file_name_of_27_units.mml");
    // A name longer than the limit is cut at the limit.
    EXPECT_EQ(shortenedRecentName(u"/x/abcdefghijklmnopqrstuvwxyz0123456789.mml"),
              u"abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(shortenedRecentName(u"abcdefghijklmnopqrstuvwxyz0123456789.mml"), u"abcdefghijklmnopqrstuvwxyz0123");
    // A surrogate pair is never split by the cut.
    const std::u16string pairs = u"/d/\U0001F3B5\U0001F3B5\U0001F3B5.mml";
    EXPECT_EQ(shortenedRecentName(pairs, 3), u"\U0001F3B5");
    EXPECT_EQ(shortenedRecentName(pairs, 4), u"\U0001F3B5\U0001F3B5");
    EXPECT_EQ(shortenedRecentName(u"/d/name.mml", 0), u"");
}

}  // namespace
}  // namespace zema
