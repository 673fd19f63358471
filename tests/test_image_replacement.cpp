// Replacing the assistant's artwork on a real scratch installation: backups, the kept
// original, the installed copies, the stop rules and what a failure leaves behind.
#include "customization/ImageReplacement.h"
#include "editors/SideImageDlg.h"
#include "editors/UrlIconDlg.h"
#include "framework/WinHandles.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bytes differ: " << expected.size() << " expected, " << actual.size()
                                         << " found" << (actual == "<missing>" ? " (missing)" : "");
}

// A distinct valid bitmap for each colour.
std::string Picture(COLORREF colour)
{
    return BmpFileBytes(8, 8, [=](int, int) { return colour; });
}

class ImageReplacementTest : public ::testing::Test {
protected:
    ImageReplacementTest()
    {
        CopySampleImages(m_base.Path());
        m_strRed = Chosen("red.bmp", RGB(255, 0, 0));
        m_strBlue = Chosen("blue.bmp", RGB(0, 0, 255));
    }
    std::string Chosen(const std::string& name, COLORREF colour)
    {
        const std::string path = m_base.Path() + "\\" + name;
        WriteFileBytes(path, Picture(colour));
        return path;
    }
    std::string In(const std::string& relative) const { return m_base.Path() + "\\" + relative; }
    // A file's bytes; compared with SameBytes, which does not print them.
    std::string Bytes(const std::string& relative) const
    {
        return FileExists(In(relative)) ? ReadFileBytes(In(relative)) : "<missing>";
    }
    // The names of the files in a folder, as the file system spells them.
    std::vector<std::string> Names(const std::string& relative) const { return FilesIn(In(relative)); }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
    std::string m_strRed;
    std::string m_strBlue;
};

TEST_F(ImageReplacementTest, IconsAreBackedUpBeforeTheyAreReplaced)
{
    const std::string shippedNormal = Bytes("images\\Icon1.bmp");
    const std::string shippedHigh = Bytes("images\\Icon1_hi.bmp");
    ASSERT_FALSE(FileExists(In("Customization")));

    struct Case {
        const char* name;
        std::string normal;  // chosen files ("" none)
        std::string high;
        bool bResult;
        std::string expectNormal;  // images\ afterwards
        std::string expectHigh;
        std::vector<std::string> boxes;
    };
    const std::string gone = In("gone.bmp");
    const std::string red = Picture(RGB(255, 0, 0));
    const std::string blue = Picture(RGB(0, 0, 255));
    const Case cases[] = {
        {"nothing chosen", "", "", true, shippedNormal, shippedHigh, {}},
        {"highlight only", "", m_strRed, true, shippedNormal, red, {}},
        {"vanished normal, blue highlight", gone, m_strBlue, true, shippedNormal, blue, {"Cannot find: " + gone + "    "}},
        {"both", m_strBlue, m_strRed, true, blue, red, {}},
    };
    std::string previousNormal = shippedNormal;
    std::string previousHigh = shippedHigh;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.m_boxes.clear();
        CUrlIconDlg dlg;
        dlg.m_strNewNormalFile = c.normal;
        dlg.m_strNewHighlightFile = c.high;
        EXPECT_EQ(c.bResult, dlg.ReplaceIconFiles(1));

        // The backups hold the icons as they were before this OK; the originals never change.
        EXPECT_TRUE(SameBytes(previousNormal, Bytes("Customization\\Backup\\icon1.BAK")));
        EXPECT_TRUE(SameBytes(previousHigh, Bytes("Customization\\Backup\\icon1_hi.BAK")));
        EXPECT_TRUE(SameBytes(shippedNormal, Bytes("Customization\\Backup\\Original\\icon1.bmp")));
        EXPECT_TRUE(SameBytes(shippedHigh, Bytes("Customization\\Backup\\Original\\icon1_hi.bmp")));
        EXPECT_TRUE(SameBytes(c.expectNormal, Bytes("images\\icon1.bmp")));
        EXPECT_TRUE(SameBytes(c.expectHigh, Bytes("images\\icon1_hi.bmp")));
        if (!c.high.empty()) {
            EXPECT_TRUE(SameBytes(c.expectHigh, Bytes("customization\\icon1_hi.bmp")));
        }
        std::vector<std::string> texts;
        for (const RecordedBox& box : m_boxes.m_boxes) {
            texts.push_back(box.text);
            EXPECT_EQ("Access Nimbook Customization - Error", box.caption);
        }
        EXPECT_EQ(c.boxes, texts);
        previousNormal = c.expectNormal;
        previousHigh = c.expectHigh;
    }
    // Names are one file whatever their capitals: the installed icons kept the installation's.
    const std::vector<std::string> images = Names("images");
    EXPECT_EQ(1, std::count(images.begin(), images.end(), "Icon1.bmp"));
    EXPECT_EQ(0, std::count(images.begin(), images.end(), "icon1.bmp"));
    EXPECT_EQ((std::vector<std::string>{"icon1.BAK", "icon1_hi.BAK"}), Names("Customization\\Backup"));
}

TEST_F(ImageReplacementTest, AMissingIconStopsTheLinkBeforeAnythingIsReplaced)
{
    const std::string shippedNormal = Bytes("images\\Icon2.bmp");
    ::DeleteFileA(In("images\\Icon2_hi.bmp").c_str());
    CUrlIconDlg dlg;
    dlg.m_strNewNormalFile = m_strRed;
    EXPECT_FALSE(dlg.ReplaceIconFiles(2));
    EXPECT_TRUE(SameBytes(shippedNormal, Bytes("images\\Icon2.bmp")));
    EXPECT_TRUE(SameBytes(shippedNormal, Bytes("Customization\\Backup\\icon2.BAK")));
    EXPECT_FALSE(dlg.ReplaceIconFiles(5));  // no such link: every copy fails
}

TEST_F(ImageReplacementTest, SideImagesGoOnAfterAFailedSlot)
{
    std::map<int, std::string> shipped;
    for (int n = 0; n < 6; ++n)
        shipped[n] = Bytes("images\\Image" + std::to_string(n) + ".bmp");
    ::DeleteFileA(In("images\\Image3.bmp").c_str());
    const std::string gone = In("gone.bmp");

    CSideImageDlg dlg;
    dlg.m_strNewImageFile[1] = m_strRed;   // slot 2: image1
    dlg.m_strNewImageFile[3] = m_strBlue;  // slot 4: image3, which is missing
    dlg.m_strNewImageFile[4] = gone;       // slot 5: image4
    const bool expected[] = {false, true, false, false, true, false};
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(expected[slot - 1], dlg.ReplaceImageFile(slot)) << "slot " << slot;

    for (int n : {0, 1, 2, 4, 5})
        EXPECT_TRUE(SameBytes(shipped[n], Bytes("Customization\\Backup\\image" + std::to_string(n) + ".BAK"))) << n;
    EXPECT_TRUE(SameBytes("<missing>", Bytes("Customization\\Backup\\image3.BAK")));
    EXPECT_TRUE(SameBytes(Picture(RGB(255, 0, 0)), Bytes("images\\image1.bmp")));
    EXPECT_TRUE(SameBytes(Picture(RGB(255, 0, 0)), Bytes("customization\\image1.bmp")));
    EXPECT_TRUE(SameBytes("<missing>", Bytes("images\\image3.bmp")));
    EXPECT_TRUE(SameBytes(shipped[4], Bytes("images\\image4.bmp")));
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ("Cannot find: " + gone + "    ", m_boxes.m_boxes[0].text);
}

TEST_F(ImageReplacementTest, ACopyThatFailsPartWayLeavesTheOldImageWhole)
{
    EnsureBackupDirectory(m_base.Path());
    const std::string before = Bytes("images\\Icon3.bmp");
    // A source that opens but cannot be read (a copy that starts and then fails), and a
    // target that another program holds open: neither leaves a changed image or a stray file.
    EXPECT_EQ(InstallResult::Failed, InstallImageFile(m_base.Path(), "Z:\\proc\\self\\mem", "icon3.bmp"));
    // A file that became something else after it was chosen is no artwork either.
    WriteFileBytes(m_strBlue, "no longer a bitmap");
    EXPECT_EQ(InstallResult::Failed, InstallImageFile(m_base.Path(), m_strBlue, "icon3.bmp"));
    {
        CHandle held(::CreateFileA(In("images\\Icon3.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(InstallResult::Failed, InstallImageFile(m_base.Path(), m_strRed, "icon3.bmp"));
    }
    EXPECT_TRUE(SameBytes(before, Bytes("images\\Icon3.bmp")));
    for (const std::string& name : Names("images"))
        EXPECT_EQ(std::string::npos, name.find(".tmp")) << name;

    // An original is never overwritten, not even by a whole copy.
    EXPECT_FALSE(CopyFileWhole(m_strRed, In("images\\Icon3.bmp"), false));
    EXPECT_TRUE(SameBytes(before, Bytes("images\\Icon3.bmp")));
}

}  // namespace
