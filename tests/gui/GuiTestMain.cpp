// The widget tests' program: Qt's offscreen platform and a settings folder of its own, set before
// the application object exists.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string folder = (std::filesystem::temp_directory_path() / "lumora-gui-XXXXXX").string();
    if (mkdtemp(folder.data()))
        setenv("LUMORA_CONFIG_DIR", folder.c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}
