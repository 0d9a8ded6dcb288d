#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <tuple>

#include "editor/qt_test_support.h"
#include "views/colour_test_support.h"
#include "views/piano_render.h"

namespace zema {
namespace {

QColor rgba(int r, int g, int b, int a = 255) { return QColor(r, g, b, a); }

using test::blend;
using test::near;

TEST(PianoStyles, SixtyRowsWithGapsAndTheirColours)
{
    std::set<int> ids;
    for (const PianoStyle& style : pianoStyles()) ids.insert(style.id);
    EXPECT_EQ(ids.size(), 60u);
    for (int gap : {0, 25, 26, 31, 32, 65}) EXPECT_EQ(pianoStyle(gap), nullptr) << gap;
    for (int id : {1, 2, 16, 17, 22, 24, 27, 29, 30, 33, 48, 64}) ASSERT_NE(pianoStyle(id), nullptr) << id;

    EXPECT_EQ(pianoStyle(1)->pen.alpha(), 0);
    EXPECT_EQ(pianoStyle(1)->brush.alpha(), 0);
    EXPECT_EQ(pianoStyle(16)->hatch, 6);
    EXPECT_EQ(pianoStyle(17)->penWidth, 2);
    EXPECT_EQ(pianoStyle(17)->brush.alpha(), 0);
    // {style, pen or brush, colour}. Track 3: opaque outline, fill at alpha 150,
    // lighter highlight pen; the first and last tracks; track 13, whose highlight fill differs.
    const std::tuple<int, bool, QColor> colours[] = {
        {2, true, rgba(96, 96, 96)},    {2, false, rgba(0, 51, 92)},     {16, false, rgba(200, 200, 200)},
        {17, true, rgba(224, 40, 40)},  {22, false, rgba(101, 101, 101)}, {29, false, rgba(208, 179, 170)},
        {kNoteStyle + 3, true, rgba(149, 163, 65)},           {kNoteStyle + 3, false, rgba(216, 246, 114, 150)},
        {kHighlightStyle + 3, true, rgba(239, 251, 197, 150)}, {33, true, rgba(209, 4, 151)},
        {48, false, rgba(255, 201, 201, 150)},                {kNoteStyle + 13, false, rgba(204, 130, 55, 150)},
        {kHighlightStyle + 13, false, rgba(204, 153, 102, 150)}, {64, true, rgba(255, 233, 233, 150)}};
    for (const auto& [id, pen, colour] : colours)
        EXPECT_EQ(pen ? pianoStyle(id)->pen : pianoStyle(id)->brush, colour) << id << (pen ? " pen" : " brush");
    // Every note style: opaque outline; highlight pens translucent; all fills at 150.
    for (int track = 0; track < 16; ++track) {
        EXPECT_EQ(pianoStyle(kNoteStyle + track)->pen.alpha(), 255) << track;
        EXPECT_EQ(pianoStyle(kHighlightStyle + track)->pen.alpha(), 150) << track;
        EXPECT_EQ(pianoStyle(kNoteStyle + track)->brush.alpha(), 150) << track;
        if (track != 13) {
            EXPECT_EQ(pianoStyle(kHighlightStyle + track)->brush, pianoStyle(kNoteStyle + track)->brush) << track;
        }
    }
}

class PianoRenderTest : public ::testing::Test {
protected:
    void SetUp() override { (void)test::qtApp(); }

    // Draws with the chosen renderer onto a grey 40 x 40 image.
    template <typename Draw>
    QImage draw(bool translucent, Draw&& body)
    {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        if (translucent) {
            CPianoGdiPlusRender render(painter);
            body(render);
        } else {
            CPianoGdiRender render(painter);
            body(render);
        }
        return image;
    }

    const QColor background{96, 96, 96};
};

TEST_F(PianoRenderTest, BoxOutlinesItsPixelsAndFillsInside)
{
    for (bool translucent : {false, true}) {
        SCOPED_TRACE(translucent);
        const QImage image = draw(translucent, [](IPianoRender& r) { r.Box(kNoteStyle + 3, 10, 10, 30, 20); });
        const QColor pen(149, 163, 65);
        for (QPoint edge : {QPoint(10, 10), QPoint(29, 10), QPoint(10, 19), QPoint(29, 19), QPoint(20, 10), QPoint(10, 15)})
            EXPECT_EQ(image.pixelColor(edge), pen) << edge.x() << "," << edge.y();
        for (QPoint outside : {QPoint(30, 15), QPoint(20, 20), QPoint(9, 15), QPoint(20, 9)})
            EXPECT_EQ(image.pixelColor(outside), background) << outside.x() << "," << outside.y();
        const QColor fill(216, 246, 114);
        EXPECT_TRUE(near(image.pixelColor(20, 15), translucent ? blend(fill, background, 150) : fill));
        EXPECT_TRUE(near(image.pixelColor(28, 18), translucent ? blend(fill, background, 150) : fill));
    }
}

// The alphas of the two renderers show in the pixels of the box and piano roll
// tests; here only what draws no pixels: a style without a pen or brush keeps it so.
TEST_F(PianoRenderTest, MissingPensAndBrushesStayMissingInBothRenderers)
{
    QImage target(1, 1, QImage::Format_RGB32);
    QPainter painter(&target);
    EXPECT_FALSE(CPianoGdiRender(painter).penColour(3).isValid());
    EXPECT_FALSE(CPianoGdiPlusRender(painter).penColour(3).isValid());
    EXPECT_FALSE(CPianoGdiRender(painter).brushColour(11).isValid());
    EXPECT_FALSE(CPianoGdiPlusRender(painter).brushColour(11).isValid());
}

TEST_F(PianoRenderTest, NarrowBoxesDiamondsAndLines)
{
    const QColor pen(149, 163, 65);
    // A box one pixel wide is a single column of the outline colour.
    QImage image = draw(false, [](IPianoRender& r) { r.Box(kNoteStyle + 3, 5, 5, 6, 12); });
    for (QPoint p : {QPoint(5, 5), QPoint(5, 11)}) EXPECT_EQ(image.pixelColor(p), pen) << p.y();
    for (QPoint p : {QPoint(5, 12), QPoint(6, 8)}) EXPECT_EQ(image.pixelColor(p), background) << p.x() << "," << p.y();

    // Diamond(x, y, 8): tip at (x, y), widest row y + 4, bottom tip y + 8.
    image = draw(false, [](IPianoRender& r) { r.Diamond(kNoteStyle + 3, 20, 10, 8); });
    for (QPoint tip : {QPoint(20, 10), QPoint(16, 14), QPoint(24, 14), QPoint(20, 18)})
        EXPECT_EQ(image.pixelColor(tip), pen) << tip.x() << "," << tip.y();
    EXPECT_EQ(image.pixelColor(20, 14), QColor(216, 246, 114));
    for (QPoint corner : {QPoint(16, 10), QPoint(24, 10), QPoint(16, 18), QPoint(24, 18), QPoint(20, 19)})
        EXPECT_EQ(image.pixelColor(corner), background) << corner.x() << "," << corner.y();

    // Lines include both ends; a style without a pen draws nothing.
    image = draw(false, [](IPianoRender& r) {
        r.Line(11, 3, 30, 8, 30);
        r.Line(3, 3, 32, 8, 32);
    });
    EXPECT_EQ(image.pixelColor(3, 30), Qt::white);
    EXPECT_EQ(image.pixelColor(8, 30), Qt::white);
    EXPECT_EQ(image.pixelColor(9, 30), background);
    EXPECT_EQ(image.pixelColor(5, 32), background);
}

}  // namespace
}  // namespace zema
