#include "kadrix/platform/variant.h"

#include <gtest/gtest.h>

#include "kadrix/platform/date_time.h"

using namespace kadrix::platform;

TEST(Variant, ConversionsBetweenKinds) {
    struct Case {
        Variant value;
        std::string text;
        std::optional<int32_t> integer;
    } cases[] = {
        {Variant(), "", 0},
        {Variant::null(), "", 0},
        {Variant(true), "True", 1},
        {Variant(-1), "-1", -1},
        {Variant(2.5), "2.5", 2},  // halves to even
        {Variant(3.5), "3.5", 4},
        {Variant(" 42 "), " 42 ", 42},
        {Variant("0042"), "0042", 42},
        {Variant("abc"), "abc", std::nullopt},
        {Variant("12abc"), "12abc", std::nullopt},
        {Variant("99999999999"), "99999999999", std::nullopt},
        {Variant(""), "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.toText(), c.text);
        EXPECT_EQ(c.value.tryInt(), c.integer) << c.text;
        if (!c.integer) {
            EXPECT_THROW(c.value.toInt(), VariantError) << c.text;
        }
    }
}

TEST(Variant, TextToIntegerFailureIsCatchableAndNamesTheText) {
    try {
        Variant("12a").toInt();
        FAIL();
    } catch (const VariantError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
    }
    EXPECT_THROW(Variant(VariantArray()).toText(), VariantError);
    EXPECT_DOUBLE_EQ(Variant("3.25").toDouble(), 3.25);
    EXPECT_THROW(Variant("3,25").toDouble(), VariantError);
}

TEST(Variant, DateTimesCountDaysFrom1899December30) {
    EXPECT_DOUBLE_EQ(encodeDateTime({1899, 12, 30}), 0.0);
    EXPECT_DOUBLE_EQ(encodeDateTime({1900, 1, 1}), 2.0);
    EXPECT_DOUBLE_EQ(encodeDateTime({2008, 3, 5, 12}), 39512.5);
    const DateParts back = decodeDateTime(39512.5);
    EXPECT_EQ(back.year, 2008);
    EXPECT_EQ(back.month, 3);
    EXPECT_EQ(back.day, 5);
    EXPECT_EQ(back.hour, 12);
    EXPECT_EQ(formatYmd(39512.5), "20080305");
    EXPECT_DOUBLE_EQ(Variant("2008-03-05 12:00").toDateTime(), 39512.5);
    EXPECT_DOUBLE_EQ(Variant("20080305").toDateTime(), 39512.0);
    EXPECT_THROW(Variant("2008-02-30").toDateTime(), VariantError);
    EXPECT_EQ(Variant::dateTime(39512.5).toText(), "2008-03-05 12:00:00");
}

TEST(Variant, ArrayCopiesAreIndependentAndKeepTheirBounds) {
    VariantArray header({Variant("1.0"), Variant(3)});
    VariantArray list = VariantArray::oneDimension(0, 2);
    list.at(0) = header;
    list.at(1) = Variant("item");
    Variant original(list);
    Variant copy = original;
    copy.array().at(1) = Variant("changed");
    copy.array().at(0).array().at(1) = Variant(4);
    EXPECT_EQ(original.array().at(1).toText(), "item");
    EXPECT_EQ(original.array().at(0).array().at(1).toInt(), 3);

    VariantArray grid = VariantArray::twoDimensions({1, 2}, {0, 3});
    grid.at(2, 2) = Variant(7);
    EXPECT_EQ(grid.dimensions(), 2);
    EXPECT_EQ(grid.bound(1).low, 1);
    EXPECT_EQ(grid.bound(1).high(), 2);
    EXPECT_EQ(grid.bound(2).count, 3);
    EXPECT_EQ(grid.at(2, 2).toInt(), 7);
    EXPECT_THROW(grid.at(0, 0), VariantError);
    EXPECT_THROW(grid.at(1), VariantError);
    EXPECT_THROW(list.at(2), VariantError);
}

TEST(Variant, AssigningAnItemOfItselfKeepsTheItem) {
    Variant outer(VariantArray({Variant("inner"), Variant(2)}));
    outer = outer.array().at(0);
    EXPECT_EQ(outer.toText(), "inner");
    Variant moved(VariantArray({Variant(VariantArray({Variant(7)})), Variant(2)}));
    moved = std::move(moved.array().at(0));
    EXPECT_EQ(moved.array().at(0).toInt(), 7);
}

TEST(Variant, ReferenceCellsAreWrittenThrough) {
    Variant cell("before");
    Variant ref = Variant::ref(cell);
    EXPECT_TRUE(ref.isRef());
    EXPECT_EQ(ref.toText(), "before");
    ref.deref() = Variant(5);
    EXPECT_EQ(cell.toInt(), 5);
    Variant refOfRef = Variant::ref(ref);  // a reference to a reference reaches the cell
    refOfRef.deref() = Variant("after");
    EXPECT_EQ(cell.toText(), "after");
}
