#include "kadrix/toolbar/image_lookup.h"

#include <gtest/gtest.h>

#include <map>

using namespace kadrix::toolbar;

namespace {

QImage filled(QColor colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace

// A collection with loaders that count what they read; files are listed in `present`.
class ImageLookupTest : public ::testing::Test {
  protected:
    ImageLookup lookUp(const char* name) { return lookUpImage(name, images, names, loaders); }
    int getImage(const char* name) { return imageResult(lookUp(name)); }
    int readsOf(const std::string& name) { return reads[name]; }
    int totalReads() const {
        int total = 0;
        for (const auto& [name, count] : reads) total += count;
        return total;
    }

    ToolbarImages images{8};
    std::vector<std::string> names;
    std::map<std::string, QColor> present{{"open.bmp", Qt::red},  {"save.bmp", Qt::green},
                                          {"help.ico", Qt::blue}, {"open.BMP", Qt::red},
                                          {"open", Qt::red},      {"Open.bmp", Qt::yellow}};
    std::map<std::string, int> reads;
    std::map<std::string, char> readAs;
    PictureLoaders loaders{
        [this](const char* name) { return read(name, 'b'); },
        [this](const char* name) { return read(name, 'i'); },
    };

  private:
    QImage read(const char* name, char kind) {
        ++reads[name];
        readAs[name] = kind;
        const auto found = present.find(name);
        return found == present.end() ? QImage() : filled(found->second);
    }
};

TEST_F(ImageLookupTest, LoadsANameOnceAndAnswersWithItsIndexFromThenOn) {
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(getImage("help.ico"), 1);
    EXPECT_EQ(getImage("save.bmp"), 2);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(getImage("open.bmp"), 0);
        EXPECT_EQ(getImage("help.ico"), 1);
        EXPECT_EQ(getImage("save.bmp"), 2);
    }
    EXPECT_EQ(readsOf("open.bmp"), 1);
    EXPECT_EQ(readsOf("help.ico"), 1);
    EXPECT_EQ(readAs["open.bmp"], 'b');
    EXPECT_EQ(readAs["help.ico"], 'i');
    EXPECT_EQ(lookUp("save.bmp").outcome, ImageOutcome::Found);
    EXPECT_EQ(images.picture(1).pixelColor(8, 8), QColor(Qt::blue));
    EXPECT_EQ(names, (std::vector<std::string>{"open.bmp", "help.ico", "save.bmp"}));
}

TEST_F(ImageLookupTest, NamesMatchExactlyWithTheirCase) {
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(getImage("Open.bmp"), 1);
    EXPECT_EQ(images.picture(1).pixelColor(8, 8), QColor(Qt::yellow));
    EXPECT_EQ(findImage("OPEN.bmp", names), -1);
}

TEST_F(ImageLookupTest, OnlySmallLetterBmpAndIcoNamesAreLookedFor) {
    const char* unsupported[] = {"open.BMP",     "help.ICO", "open.Bmp", "open", "open.png",
                                 "open.bmp.txt", "open.",    "",         nullptr};
    for (const char* name : unsupported) {
        SCOPED_TRACE(name ? name : "(null)");
        EXPECT_EQ(getImage(name), -1);
        EXPECT_EQ(lookUp(name).outcome, ImageOutcome::Unsupported);
    }
    EXPECT_EQ(totalReads(), 0) << "an unsupported name reads no file";
    EXPECT_EQ(images.count(), 0);
    EXPECT_TRUE(names.empty());
    // The extension is what follows the last dot; a name without one is all extension.
    EXPECT_EQ(extensionOf("a.b.bmp"), "bmp");
    EXPECT_EQ(extensionOf("open"), "open");
    EXPECT_EQ(extensionOf("open."), "");
}

TEST_F(ImageLookupTest, AFailedLoadAddsNothingAndIsTriedAgain) {
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(getImage("late.bmp"), 0) << "a failed load answers 0, like the first picture";
    EXPECT_EQ(lookUp("late.ico").outcome, ImageOutcome::LoadFailed);
    // What tells them apart: only the loaded name is in the collection.
    EXPECT_EQ(findImage("open.bmp", names), 0);
    EXPECT_EQ(findImage("late.bmp", names), -1);
    EXPECT_EQ(images.count(), 1);

    present["late.bmp"] = Qt::green;
    EXPECT_EQ(getImage("late.bmp"), 1);
    EXPECT_EQ(readsOf("late.bmp"), 2);
    EXPECT_EQ(findImage("late.bmp", names), 1);
}

TEST_F(ImageLookupTest, AFullCollectionReadsNothingMore) {
    for (int i = 0; i < 8; ++i) {
        const std::string name = "p" + std::to_string(i) + ".bmp";
        present[name] = Qt::red;
        ASSERT_EQ(getImage(name.c_str()), i);
    }
    const int before = totalReads();
    EXPECT_EQ(lookUp("open.bmp").outcome, ImageOutcome::CollectionFull);
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(totalReads(), before);
    EXPECT_EQ(getImage("p7.bmp"), 7) << "names already loaded are still answered";
}

TEST_F(ImageLookupTest, PicturesAHostAddsItselfKeepNamesAtTheirIndices) {
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(images.addImage(filled(Qt::black)), 1);  // straight into the collection
    EXPECT_EQ(images.addImage(filled(Qt::black)), 2);
    EXPECT_EQ(getImage("save.bmp"), 3);
    EXPECT_EQ(getImage("save.bmp"), 3);
    EXPECT_EQ(images.picture(getImage("save.bmp")).pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(getImage("open.bmp"), 0);
    EXPECT_EQ(getImage(""), -1) << "an unnamed entry is never found";
    EXPECT_EQ(findImage("", names), -1);
}
