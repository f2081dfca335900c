#include "graphics/bitmap32_list.h"

#include <gtest/gtest.h>

TEST(TBitmap32List, ItemsOwnTheirBitmapsAndCopyWhatTheyAreGiven)
{
    TBitmap32List list;
    EXPECT_EQ(list.Bitmaps().Count(), 0);
    EXPECT_THROW(list.Bitmap(0), EListError);

    TBitmap32Item& first = list.Bitmaps().Add();
    EXPECT_TRUE(first.Bitmap().Empty());
    EXPECT_EQ(first.Index(), 0);
    EXPECT_EQ(first.Collection()->GetOwner(), &list);

    TBitmap32 source;
    source.SetSize(24, 24);
    source.Clear(0x80FF0000);
    source.SetDrawMode(dmBlend);
    list.Bitmaps().Add();
    list.SetBitmap(1, source);
    source.Clear(0); // the item holds its own copy
    EXPECT_EQ(list.Bitmap(1).Pixel(23, 23), 0x80FF0000u);
    EXPECT_EQ(list.Bitmap(1).DrawMode(), dmBlend);

    list.Bitmaps().Insert(0);
    EXPECT_EQ(list.Bitmap(2).Width(), 24);
    EXPECT_EQ(first.Index(), 1);
    list.Bitmaps().Delete(0);
    EXPECT_EQ(first.Index(), 0);
    EXPECT_THROW(list.Bitmaps().Delete(2), EListError);
}

TEST(TBitmap32List, AssigningAListCopiesEveryPicture)
{
    TBitmap32List a;
    a.Bitmaps().Add().Bitmap().SetSize(24, 24);
    a.Bitmaps().Add().Bitmap().SetSize(36, 36);
    a.Bitmap(1).Clear(0xFF102030);

    TBitmap32List b;
    b.Bitmaps().Add();
    b.SetBitmaps(a.Bitmaps());
    ASSERT_EQ(b.Bitmaps().Count(), 2);
    EXPECT_EQ(b.Bitmap(0).Width(), 24);
    EXPECT_EQ(b.Bitmap(1).Pixel(35, 35), 0xFF102030u);
    EXPECT_NE(&b.Bitmap(1), &a.Bitmap(1));
    EXPECT_EQ(b.Bitmaps().Items(1).Collection(), &b.Bitmaps());
}
