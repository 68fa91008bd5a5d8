// The snapshot preview framed beside the cursor waypoint.

#include "nav/core/t_nav_overlay.h"
#include "nav/core/t_nav_snapshot.h"
#include "nav/tests/nav_pane.h"

#include "ui/t_view_capture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace pane;

constexpr COLOR PICTURE = 0x001F;

class Preview : public Painters {
protected:
    void SetUp() override
    {
        Painters::SetUp();
        file = std::make_unique<THUMBNAIL_DATA_FILE>();
        for (COLOR& c : file->ImageData)
            c = PICTURE;
        thumb = THUMBNAIL_HEADER_TYPE{};
        thumb.snapshot = file.get();
    }
    void TearDown() override
    {
        s_pSnapshotThumbnailPreview = nullptr;
        s_SnapshotNVI = NAV_VIEW_INFO{};
        Painters::TearDown();
    }

    // Draws the preview of a picture taken so many metres from the centre
    // of the pane; the frame's lower-left corner.
    POINT draw(Pane& p, S32 east, S32 north, LAYER_ID view)
    {
        setU32("CVEW", (U32)view);
        file->Header.Image_Waypoint.pt = p.mm(east, north);
        s_SnapshotNVI = p.nvi;
        s_pSnapshotThumbnailPreview = &thumb;
        T_NAV_vDrawPreviewThumbnail(p.nvi.pBitmap, nullptr);
        // The outer frame's lowest row: the first row from the bottom that
        // holds the frame colour left of the picture.
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (p.at(x, y) == entry(128))
                    return {x, y};
        return {-1, -1};
    }

    std::unique_ptr<THUMBNAIL_DATA_FILE> file;
    THUMBNAIL_HEADER_TYPE thumb{};
};

TEST_F(Preview, TheFrameSitsBelowThePointOrBesideItInTheSideImagingView)
{
    Pane p;
    const POINT px = p.pixelOf(p.mm(0, 0));
    const POINT c = draw(p, 0, 0, CHART_VIEW_PRIORITY);
    EXPECT_EQ(c.x, px.x - 107);
    EXPECT_EQ(c.y, px.y - 15 - 164) << "below the point by half the cursor icon";
    EXPECT_EQ(p.at(c.x + 1, c.y + 1), entry(131));
    EXPECT_EQ(p.at(c.x + 7, c.y + 7), PICTURE);
    EXPECT_EQ(p.at(c.x + 206, c.y + 156), PICTURE);
    EXPECT_EQ(p.at(c.x + 207, c.y + 157), entry(128));
    EXPECT_EQ(p.at(c.x + 214, c.y), BACKGROUND);

    Pane side;
    const POINT cs = draw(side, 0, 0, CHART_PLUS_FLANKVIEW_VIEW_PRIORITY);
    EXPECT_EQ(cs.x, px.x + 15);
    EXPECT_EQ(cs.y, px.y - 82);
}

TEST_F(Preview, NearTheRightEdgeTheFrameEndsAtTheClipEdge)
{
    Pane p;
    const POINT c = draw(p, 380, 0, CHART_VIEW_PRIORITY);
    const S32 right = p.nvi.pBitmap->s32ClipRight;
    EXPECT_EQ(c.x, right - 214);
    EXPECT_EQ(p.at(right - 1, c.y), entry(128));
    EXPECT_EQ(p.at(right, c.y), BACKGROUND);
}

TEST_F(Preview, NothingWithoutAThumbnail)
{
    Pane p;
    s_SnapshotNVI = p.nvi;
    s_pSnapshotThumbnailPreview = nullptr;
    T_NAV_vDrawPreviewThumbnail(p.nvi.pBitmap, nullptr);
    EXPECT_EQ(p.count(BACKGROUND), 800u * 600u);
}

} // namespace
