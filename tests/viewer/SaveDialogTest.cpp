// The save dialog's rules: a wildcard filters the list instead of closing, a folder is entered,
// an existing file is replaced only after Yes, the chosen path, masks and the type list.
#include "viewer/SaveDialog.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lumora::viewer;
using lumora::test::RecordingUi;
using lumora::test::TempDir;

TEST(SaveDialog, AWildcardFiltersTheListInsteadOfClosing) {
    RecordingUi ui;
    TempDir dir;
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), "*.txt"), TSaveDialogOk::FilterList);
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), "cave?.x"), TSaveDialogOk::FilterList);
    EXPECT_TRUE(ui.Questions.empty());
    EXPECT_TRUE(HasWildcard("*"));
    EXPECT_FALSE(HasWildcard("cave.x"));
}

TEST(SaveDialog, AnExistingFileIsReplacedOnlyAfterYes) {
    RecordingUi ui;
    TempDir dir;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(SaveDialogOk(ui, folder, "new.x"), TSaveDialogOk::Close);
    EXPECT_TRUE(ui.Questions.empty());
    lumora::test::WriteFile(dir.File("cave.x"), "old");
    ui.Answers = {false, true};
    EXPECT_EQ(SaveDialogOk(ui, folder, "cave.x"), TSaveDialogOk::StayOpen);
    EXPECT_EQ(SaveDialogOk(ui, folder, "cave.x"), TSaveDialogOk::Close);
    EXPECT_EQ(ui.Questions,
              std::vector<std::string>(
                  2, "cave.x\n\rThis file already exists.\n\rDo you want to replace it?"));
    EXPECT_EQ(lumora::test::ReadFile(dir.File("cave.x")), "old"); // the dialog writes nothing
}

TEST(SaveDialog, AFolderIsEnteredAndAnEmptyFieldChoosesNothing) {
    RecordingUi ui;
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "survey");
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), "survey"), TSaveDialogOk::OpenFolder);
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), ".."), TSaveDialogOk::OpenFolder);
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), ""), TSaveDialogOk::StayOpen);
    EXPECT_EQ(SaveDialogOk(ui, dir.Path().string(), "   "), TSaveDialogOk::StayOpen);
    EXPECT_TRUE(ui.Questions.empty());
}

TEST(SaveDialog, ThePathIsTheFieldInTheFolderUnlessItIsAbsolute) {
    EXPECT_EQ(SaveDialogPath("/home/caver", "cave.x"), "/home/caver/cave.x");
    EXPECT_EQ(SaveDialogPath("/", "cave.x"), "/cave.x");
    EXPECT_EQ(SaveDialogPath("/home/caver", "out/cave.x"), "/home/caver/out/cave.x");
    EXPECT_EQ(SaveDialogPath("/home/caver", "/tmp/cave.x"), "/tmp/cave.x");
}

TEST(SaveDialog, MasksAndTheTypeList) {
    EXPECT_EQ(MaskPatterns("*.x"), std::vector<std::string>{"*.x"});
    EXPECT_EQ(MaskPatterns("*.*"), std::vector<std::string>{"*"});
    EXPECT_EQ(MaskPatterns(" *.bmp ; *.ppm;"), (std::vector<std::string>{"*.bmp", "*.ppm"}));
    const auto types = FilterTypes("DirectX Files|*.x|All files (*.*)|*.*");
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].Caption, "DirectX Files");
    EXPECT_EQ(types[0].Mask, "*.x");
    EXPECT_EQ(types[1].Caption, "All files (*.*)");
    EXPECT_EQ(types[1].Mask, "*.*");
    EXPECT_TRUE(FilterTypes("broken").empty());
}
